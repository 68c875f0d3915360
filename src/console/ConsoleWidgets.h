#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

// The console's controls that answer the mouse and keys the way its
// operators work: a press on a label, a double-click on a box, Enter in a
// chooser.
namespace hp::console {

// A label that reports mouse presses (with their modifiers) and double-clicks.
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    explicit ClickLabel(const QString& name, const QString& text, QWidget* parent = nullptr);

signals:
    void pressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void doubleClicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

// A text box that reports presses and double-clicks, and selects its whole
// text when it receives the focus if asked to.
class ConsoleBox : public QLineEdit {
    Q_OBJECT
public:
    explicit ConsoleBox(const QString& name, QWidget* parent = nullptr);
    void setSelectAllOnFocus(bool on) { m_selectAllOnFocus = on; }

signals:
    void pressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void doubleClicked();
    void enterPressed();
    void focusLost();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool m_selectAllOnFocus = false;
};

// An editable chooser that reports every key, the focus it gets and loses,
// and an entry chosen with the mouse (a click on an entry of its list).
// Its own list opening and closing is no change of focus; keys and the wheel
// that only move through the entries choose nothing.
class ChooserCombo : public QComboBox {
    Q_OBJECT
public:
    explicit ChooserCombo(const QString& name, QWidget* parent = nullptr);
    void showPopup() override;
    void hidePopup() override;

signals:
    void keyPressed(int key);
    void chosen(int index);
    void focusGained();
    void focusLost();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool m_moving = false;
    bool m_listOpen = false;
};

// The name of an indexed control: "Name(i)".
QString indexed(const char* name, int index);

// A bold font some points larger, for the figures an operator reads at a glance.
QFont boldFont(QFont font, int extraPoints);

// A control shown on request (a chooser) keeps its room while hidden, so
// that the frame does not move when it opens.
void keepPlaceWhenHidden(QWidget* widget);

// White on blue for the current line-score cell, black on white otherwise.
void setHighlight(QWidget* widget, bool on);

} // namespace hp::console
