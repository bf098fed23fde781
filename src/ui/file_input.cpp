#include "ui/file_input.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace {

// "desc|*.a;*.b|desc2|*.c" -> {"desc (*.a *.b)", "desc2 (*.c)"}
QStringList name_filters(std::string_view filter)
{
    const QStringList parts = to_qstring(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
    }
    return filters;
}

std::string first_local_file(const QMimeData* data)
{
    if (data == nullptr || !data->hasUrls())
        return {};
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            return to_std_string(QDir::toNativeSeparators(url.toLocalFile()));
    return {};
}

}  // namespace

void FileDialog::show()
{
    QFileDialog dialog(parent_);
    const bool saving = type_ == Save;
    dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, option_ != 1);
    const QStringList filters = name_filters(filter_);
    dialog.setNameFilters(filters);
    if (filter_index_ >= 0 && filter_index_ < filters.size())
        dialog.selectNameFilter(filters[filter_index_]);
    if (!file_name_.empty())
        dialog.selectFile(to_qstring(file_name_));
    const bool accepted = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    file_name_ = accepted ? to_std_string(QDir::toNativeSeparators(dialog.selectedFiles().first())) : std::string();
}

void DropTarget::register_window(QWidget* window)
{
    window_ = window;
    window_->setAcceptDrops(true);
    window_->installEventFilter(this);
}

void DropTarget::revoke()
{
    if (window_ == nullptr)
        return;
    window_->removeEventFilter(this);
    window_->setAcceptDrops(false);
    window_ = nullptr;
}

bool DropTarget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != window_)
        return false;
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (first_local_file(drag->mimeData()).empty())
            return false;
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const std::string path = first_local_file(drop->mimeData());
        if (path.empty())
            return false;
        drop->acceptProposedAction();
        if (dropped_)
            dropped_(path);
        return true;
    }
    default:
        return false;
    }
}
