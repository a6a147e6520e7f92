#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/Unit3.h"

int main(int argc, char** argv) {
    try {
        Application->Initialize(argc, argv);
        Application->CreateForm(Form1);
        Application->CreateForm(Form2);
        Application->CreateForm(DataModule3);
        Application->Run();
    } catch (const Exception& E) {
        Application->ShowException(E);
    }
    return 0;
}
