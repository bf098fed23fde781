#pragma once
// The control layer: the small set of operations the handlers use on the window's controls, with
// the event behaviour they rely on. Texts are UTF-8 std::string; Qt types stay inside this layer.
// Each wrapper refers to a widget owned by the window; the wrapper owns nothing.
//
// - A position written from code raises no event; a user's change raises position-changed once,
//   with the position already holding the new value.
// - A text written into an edit box from code runs its text-changed handler to its end, once per
//   write, before the write returns; typing runs it once per edit.
// - A combo box's item-selected event fires only on the user's choice, with the text already set.

#include <QWidget>

#include <functional>
#include <string>
#include <string_view>

class QAbstractSlider;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

using Handler = std::function<void()>;

class Control {
public:
    explicit Control(QWidget* widget) : widget_(widget) {}

    int left() const { return widget_->x(); }
    int top() const { return widget_->y(); }
    int width() const { return widget_->width(); }
    int height() const { return widget_->height(); }
    void move(int left, int top, int width, int height);

    QWidget* widget() const { return widget_; }

private:
    QWidget* widget_;
};

class Label : public Control {
public:
    explicit Label(QLabel* label);
    std::string caption() const;
    void set_caption(std::string_view caption);

private:
    QLabel* label_;
};

class Button : public Control {
public:
    explicit Button(QPushButton* button);
    void on_clicked(Handler handler);

private:
    QPushButton* button_;
};

class EditBox : public Control {
public:
    explicit EditBox(QLineEdit* edit);
    std::string text() const;
    void set_text(std::string_view text);
    void on_text_changed(Handler handler);
    void accept_digits_only(int max_digits);

private:
    QLineEdit* edit_;
    Handler text_changed_;
};

class ComboBox : public Control {
public:
    explicit ComboBox(QComboBox* combo);
    std::string text() const;
    // Selects the item with this text; a text that no item has leaves the selection unchanged.
    void set_text(std::string_view text);
    void on_item_selected(Handler handler);

private:
    QComboBox* combo_;
};

// A horizontal slider bar or scroll bar.
class Slider : public Control {
public:
    explicit Slider(QAbstractSlider* slider);
    int position() const;
    // Positions outside the range are held at the nearer end, as the widget keeps them.
    void set_position(int position);
    void on_position_changed(Handler handler);

private:
    QAbstractSlider* slider_;
};

// A container (the preview area, the panel) or the canvas: mouse input as events, and dragging.
// drag_with_mouse(), called from a left-press handler, moves the widget with the mouse inside its
// parent until the left button is released.
class MouseFilter;

class MouseArea : public Control {
public:
    explicit MouseArea(QWidget* widget);
    void on_double_clicked(Handler handler);
    void on_left_pressed(Handler handler);
    void drag_with_mouse();

private:
    MouseFilter* filter_;
};

// std::string (UTF-8) <-> QString, for the few places outside this file that meet Qt texts.
QString to_qstring(std::string_view text);
std::string to_std_string(const QString& text);
