#include "ConsoleWidgets.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

namespace hp::console {

ClickLabel::ClickLabel(const QString& name, const QString& text, QWidget* parent)
    : QLabel(text, parent)
{
    setObjectName(name);
}

void ClickLabel::mousePressEvent(QMouseEvent* event)
{
    emit pressed(event->button(), event->modifiers());
    QLabel::mousePressEvent(event);
}

void ClickLabel::mouseDoubleClickEvent(QMouseEvent* event)
{
    emit doubleClicked();
    QLabel::mouseDoubleClickEvent(event);
}

ConsoleBox::ConsoleBox(const QString& name, QWidget* parent)
    : QLineEdit(parent)
{
    setObjectName(name);
}

void ConsoleBox::mousePressEvent(QMouseEvent* event)
{
    QLineEdit::mousePressEvent(event);
    emit pressed(event->button(), event->modifiers());
}

void ConsoleBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    QLineEdit::mouseDoubleClickEvent(event);
    emit doubleClicked();
}

void ConsoleBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit enterPressed();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void ConsoleBox::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    // A click that gave the focus would clear the selection again at once.
    if (m_selectAllOnFocus)
        QTimer::singleShot(0, this, &QLineEdit::selectAll);
}

void ConsoleBox::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    emit focusLost();
}

ChooserCombo::ChooserCombo(const QString& name, QWidget* parent)
    : QComboBox(parent)
{
    setObjectName(name);
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
}

void ChooserCombo::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        QComboBox::keyPressEvent(event);
    emit keyPressed(event->key());
}

void ChooserCombo::focusInEvent(QFocusEvent* event)
{
    QComboBox::focusInEvent(event);
    emit focusGained();
}

void ChooserCombo::focusOutEvent(QFocusEvent* event)
{
    QComboBox::focusOutEvent(event);
    emit focusLost();
}

QString indexed(const char* name, int index)
{
    return QString::fromLatin1(name) + u'(' + QString::number(index) + u')';
}

QFont boldFont(QFont font, int extraPoints)
{
    font.setPointSize(font.pointSize() + extraPoints);
    font.setBold(true);
    return font;
}

void setHighlight(QWidget* widget, bool on)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::Base, on ? QColor(0, 0, 255) : QColor(Qt::white));
    p.setColor(QPalette::Text, on ? QColor(Qt::white) : QColor(Qt::black));
    widget->setPalette(p);
}

} // namespace hp::console
