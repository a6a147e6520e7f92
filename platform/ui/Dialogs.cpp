#include "platform/ui/Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>
#include <QWidget>

#include "platform/ui/Forms.h"
#include "platform/ui/qt/QtPeer.h"

std::function<bool(AnsiString& FileName, bool Save)> FileDialogHook;

namespace {
int GShown = 0;

QWidget* ActiveWindow() {
    TForm* F = Application ? Application->ActiveForm() : nullptr;
    if (!F && Application) F = Application->MainForm();
    return F && F->HandleAllocated() && F->Peer() ? F->Peer()->Widget.data() : nullptr;
}
}  // namespace

bool PromptForFileName(AnsiString& FileName, const AnsiString& Filter, const AnsiString& Title, bool Save) {
    if (FileDialogHook) return FileDialogHook(FileName, Save);
    QString Chosen =
        Save ? QFileDialog::getSaveFileName(ActiveWindow(), ToQ(Title), ToQ(FileName), ToQ(Filter))
             : QFileDialog::getOpenFileName(ActiveWindow(), ToQ(Title), ToQ(FileName), ToQ(Filter));
    if (Chosen.isEmpty()) return false;
    FileName = FromQ(Chosen);
    return true;
}

struct TProgressWindow::TImpl {
    QWidget Window;
    QLabel* Text = nullptr;
    QProgressBar* Bar = nullptr;
};

TProgressWindow::TProgressWindow(const AnsiString& Caption, const AnsiString& Text)
    : F(std::make_unique<TImpl>()) {
    QWidget& W = F->Window;
    W.setWindowTitle(ToQ(Caption));
    W.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    W.setWindowModality(Qt::ApplicationModal);
    auto* Layout = new QVBoxLayout(&W);
    F->Text = new QLabel(ToQ(Text), &W);
    F->Bar = new QProgressBar(&W);
    F->Bar->setMinimumWidth(320);
    Layout->addWidget(F->Text);
    Layout->addWidget(F->Bar);
    if (QWidget* Over = ActiveWindow()) W.move(Over->geometry().center() - W.rect().center());
    W.show();
    ++GShown;
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

TProgressWindow::~TProgressWindow() = default;

void TProgressWindow::Update(size_t Done, size_t Total) {
    int Max = 1000;
    int Value = Total ? static_cast<int>(static_cast<double>(Done) / static_cast<double>(Total) * Max) : 0;
    F->Bar->setRange(0, Max);
    F->Bar->setValue(std::min(Value, Max));
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

int TProgressWindow::ShownCount() {
    return GShown;
}
