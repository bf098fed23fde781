#include "ui/controls.h"

#include <QAbstractSlider>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>

QString to_qstring(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string to_std_string(const QString& text)
{
    return text.toStdString();
}

void Control::move(int left, int top, int width, int height)
{
    widget_->setGeometry(left, top, width, height);
}

Label::Label(QLabel* label) : Control(label), label_(label)
{
    label_->setTextFormat(Qt::PlainText);
}

std::string Label::caption() const
{
    return to_std_string(label_->text());
}

void Label::set_caption(std::string_view caption)
{
    label_->setText(to_qstring(caption));
}

Button::Button(QPushButton* button) : Control(button), button_(button) {}

void Button::on_clicked(Handler handler)
{
    QObject::connect(button_, &QPushButton::clicked, button_, [handler = std::move(handler)] { handler(); });
}

EditBox::EditBox(QLineEdit* edit) : Control(edit), edit_(edit)
{
    // A file dropped on the box goes to the window, not into the text.
    edit_->setAcceptDrops(false);
}

std::string EditBox::text() const
{
    return to_std_string(edit_->text());
}

void EditBox::set_text(std::string_view text)
{
    {
        const QSignalBlocker quiet(edit_);
        edit_->setText(to_qstring(text));
    }
    // Every write counts as a change, also one that leaves the text as it was.
    if (text_changed_)
        text_changed_();
}

void EditBox::on_text_changed(Handler handler)
{
    text_changed_ = handler;
    QObject::connect(edit_, &QLineEdit::textEdited, edit_, [handler = std::move(handler)] { handler(); });
}

void EditBox::accept_digits_only(int max_digits)
{
    const QRegularExpression digits(QStringLiteral("[0-9]{0,%1}").arg(max_digits));
    edit_->setValidator(new QRegularExpressionValidator(digits, edit_));
    edit_->setMaxLength(max_digits);
}

ComboBox::ComboBox(QComboBox* combo) : Control(combo), combo_(combo)
{
    combo_->setEditable(false);
}

std::string ComboBox::text() const
{
    return to_std_string(combo_->currentText());
}

void ComboBox::set_text(std::string_view text)
{
    const int index = combo_->findText(to_qstring(text));
    if (index < 0)
        return;
    const QSignalBlocker quiet(combo_);
    combo_->setCurrentIndex(index);
}

void ComboBox::on_item_selected(Handler handler)
{
    QObject::connect(combo_, &QComboBox::activated, combo_, [handler = std::move(handler)] { handler(); });
}

Slider::Slider(QAbstractSlider* slider) : Control(slider), slider_(slider) {}

int Slider::position() const
{
    return slider_->value();
}

void Slider::set_position(int position)
{
    const QSignalBlocker quiet(slider_);
    slider_->setValue(position);
}

void Slider::on_position_changed(Handler handler)
{
    QObject::connect(slider_, &QAbstractSlider::valueChanged, slider_,
                     [handler = std::move(handler)] { handler(); });
}

// Turns a widget's mouse input into the two events the window binds, and moves the widget while
// a drag runs. Lives as a child of the widget.
class MouseFilter : public QObject {
public:
    explicit MouseFilter(QWidget* widget) : QObject(widget), widget_(widget)
    {
        widget->installEventFilter(this);
    }

    Handler double_clicked;
    Handler left_pressed;

    void start_drag()
    {
        dragging_ = true;
        drag_start_widget_ = widget_->pos();
        drag_start_mouse_ = last_press_;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != widget_)
            return false;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            return on_press(static_cast<QMouseEvent*>(event));
        case QEvent::MouseButtonDblClick:
            return run(double_clicked, event);
        case QEvent::MouseMove:
            return on_move(static_cast<QMouseEvent*>(event));
        case QEvent::MouseButtonRelease:
            dragging_ = false;
            return false;
        default:
            return false;
        }
    }

private:
    bool run(const Handler& handler, QEvent* event)
    {
        if (!handler)
            return false;
        event->accept();
        handler();
        return true;
    }

    bool on_press(QMouseEvent* event)
    {
        if (event->button() != Qt::LeftButton)
            return false;
        last_press_ = event->globalPosition().toPoint();
        return run(left_pressed, event);
    }

    bool on_move(QMouseEvent* event)
    {
        if (!dragging_ || !(event->buttons() & Qt::LeftButton))
            return false;
        widget_->move(drag_start_widget_ + (event->globalPosition().toPoint() - drag_start_mouse_));
        return true;
    }

    QWidget* widget_;
    bool dragging_{false};
    QPoint last_press_;
    QPoint drag_start_widget_;
    QPoint drag_start_mouse_;
};

MouseArea::MouseArea(QWidget* widget)
    : Control(widget), filter_(new MouseFilter(widget))  // owned by the widget
{
}

void MouseArea::on_double_clicked(Handler handler)
{
    filter_->double_clicked = std::move(handler);
}

void MouseArea::on_left_pressed(Handler handler)
{
    filter_->left_pressed = std::move(handler);
}

void MouseArea::drag_with_mouse()
{
    filter_->start_drag();
}
