#include "ConsoleWidgets.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>
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
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (!m_moving)
            emit chosen(index);
    });
}

void ChooserCombo::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
        const QScopedValueRollback moving(m_moving, true);
        QComboBox::keyPressEvent(event);
    }
    emit keyPressed(event->key());
}

void ChooserCombo::wheelEvent(QWheelEvent* event)
{
    const QScopedValueRollback moving(m_moving, true);
    QComboBox::wheelEvent(event);
}

namespace {

// The focus going to the chooser's own list and coming back from it.
bool ownList(const QFocusEvent* event)
{
    return event->reason() == Qt::PopupFocusReason ||
           event->reason() == Qt::ActiveWindowFocusReason;
}

} // namespace

void ChooserCombo::showPopup()
{
    m_listOpen = true;
    QComboBox::showPopup();
}

void ChooserCombo::hidePopup()
{
    QComboBox::hidePopup();
    m_listOpen = false;
}

void ChooserCombo::focusInEvent(QFocusEvent* event)
{
    QComboBox::focusInEvent(event);
    if (!ownList(event))
        emit focusGained();
}

void ChooserCombo::focusOutEvent(QFocusEvent* event)
{
    QComboBox::focusOutEvent(event);
    if (!ownList(event) && !m_listOpen)
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

void keepPlaceWhenHidden(QWidget* widget)
{
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
}

void setHighlight(QWidget* widget, bool on)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::Base, on ? QColor(0, 0, 255) : QColor(Qt::white));
    p.setColor(QPalette::Text, on ? QColor(Qt::white) : QColor(Qt::black));
    widget->setPalette(p);
}

} // namespace hp::console
