#pragma once
// Shared by the window tests: a started program (state + window) and a way to answer the modal
// file dialog the way a user would.

#include "app/app_state.h"
#include "std_string_printing.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QPointer>
#include <QTimer>

#include <memory>

// The program as run_application starts it, without the event loop.
struct Program {
    AppState state;
    std::unique_ptr<MainWindow> window;

    Program()
    {
        create_image_object(state);
        window = std::make_unique<MainWindow>(state);
    }
    ~Program()
    {
        window.reset();
        release_resources(state);
    }
    MainWindow& w() { return *window; }
};

// What a file dialog offered when it was answered.
struct DialogSeen {
    QStringList filters;
    QString selected_filter;
    QString file;
    bool confirms_overwrite{false};
};

// Answers modal file dialogs the way a user would: each answer() queues one reply (a path to
// choose, or an empty text for Cancel) for the next dialog that shows; a question about
// overwriting is answered with yes.
class DialogAnswerer : public QObject {
public:
    static DialogAnswerer& instance()
    {
        static auto* answerer = new DialogAnswerer;  // lives until the test program ends
        return *answerer;
    }

    void answer(const QString& path, DialogSeen* seen)
    {
        replies_.append({path, seen});
        if (timer_id_ == 0)
            timer_id_ = startTimer(10);
    }

protected:
    void timerEvent(QTimerEvent*) override
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal); box && box->button(QMessageBox::Yes)) {
            box->button(QMessageBox::Yes)->click();
            return;
        }
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (dialog == nullptr || !dialog->isVisible() || replies_.isEmpty() || dialog == last_answered_)
            return;
        last_answered_ = dialog;
        const Reply reply = replies_.takeFirst();
        if (reply.seen)
            *reply.seen = {dialog->nameFilters(), dialog->selectedNameFilter(), dialog->selectedFiles().value(0),
                           !dialog->testOption(QFileDialog::DontConfirmOverwrite)};
        if (reply.path.isEmpty()) {
            dialog->reject();
            return;
        }
        // selectFile() leaves the name box alone while it has the focus, so type into it as well.
        dialog->selectFile(reply.path);
        if (auto* name_box = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            name_box->setText(reply.path);
        static_cast<QDialog*>(dialog)->accept();
    }

private:
    struct Reply {
        QString path;
        DialogSeen* seen;
    };
    QList<Reply> replies_;
    QPointer<QFileDialog> last_answered_;
    int timer_id_{0};
};

// Answers the next file dialog with path (empty: Cancel); call before the dialog is shown.
inline void answer_next_dialog(const QString& path, DialogSeen* seen = nullptr)
{
    DialogAnswerer::instance().answer(path, seen);
}
