#pragma once
// The two ways a file name reaches the program: the common file dialog, shared by opening and
// saving, and the window as a target for dropped files. Paths are UTF-8 with the platform's
// separators.

#include "ui/controls.h"

#include <QObject>

#include <functional>
#include <string>
#include <string_view>

class QWidget;

// Holds the dialog's settings between uses; show() builds a modal dialog from them and returns
// when it is closed. After Cancel the file name reads as the empty text.
class FileDialog {
public:
    enum Type { Open = 0, Save = 1 };

    explicit FileDialog(QWidget* parent) : parent_(parent) {}

    void set_type(int type) { type_ = type; }
    // Filter: "description|pattern|description|pattern...", several patterns joined by ";".
    void set_filter(std::string_view filter) { filter_ = filter; }
    // Counted from 0.
    void set_filter_index(int index) { filter_index_ = index; }
    // 1: ask before overwriting an existing file.
    void set_option(int option) { option_ = option; }
    void set_file_name(std::string_view name) { file_name_ = name; }
    std::string file_name() const { return file_name_; }

    void show();

private:
    QWidget* parent_;
    int type_{Open};
    std::string filter_;
    int filter_index_{0};
    int option_{0};
    std::string file_name_;
};

// While registered, a drop of local files anywhere on the window delivers the first file's path.
class DropTarget : public QObject {
public:
    using DropHandler = std::function<void(const std::string& path)>;

    void on_file_dropped(DropHandler handler) { dropped_ = std::move(handler); }
    void register_window(QWidget* window);
    void revoke();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_{nullptr};
    DropHandler dropped_;
};
