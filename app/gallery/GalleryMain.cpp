#include "app/gallery/GalleryForm.h"

int main(int argc, char** argv) {
    try {
        Application->Initialize(argc, argv);
        RegisterGalleryControls();
        Application->CreateForm(GalleryForm);
        Application->Run();
    } catch (const Exception& E) {
        Application->ShowException(E);
    }
    return 0;
}
