#include "QtDialogs.h"

#include "FileFilter.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>

namespace hp::app {

QtDialogs::QtDialogs(ConnectionPrompt connectionPrompt)
    : m_connectionPrompt(std::move(connectionPrompt))
{
}

QWidget* QtDialogs::parentWindow() const
{
    return QApplication::activeWindow();
}

void QtDialogs::message(const QString& text, const QString& title)
{
    // A message must not be hidden behind the busy pointer of the action that raised it.
    const bool busy = m_busyDepth > 0;
    if (busy)
        QApplication::restoreOverrideCursor();
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parentWindow());
    box.exec();
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

bool QtDialogs::confirm(const QString& text, const QString& title)
{
    const bool busy = m_busyDepth > 0;
    if (busy)
        QApplication::restoreOverrideCursor();
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
                    parentWindow());
    box.setDefaultButton(QMessageBox::No);
    const bool yes = box.exec() == QMessageBox::Yes;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    return yes;
}

std::optional<QString> QtDialogs::input(const QString& prompt, const QString& title,
                                        const QString& defaultText)
{
    bool ok = false;
    const QString text =
        QInputDialog::getText(parentWindow(), title, prompt, QLineEdit::Normal, defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

std::optional<QString> QtDialogs::openFile(const QString& filter, const QString& previous)
{
    const QString dir = previous.isEmpty() ? QString() : QFileInfo(previous).absolutePath();
    const QString path =
        QFileDialog::getOpenFileName(parentWindow(), QString(), dir, qtFileFilter(filter));
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

std::optional<QString> QtDialogs::connectionString(const QString& current)
{
    if (!m_connectionPrompt)
        return input(QStringLiteral("連接字串"), QStringLiteral("資料庫設定"), current);
    return m_connectionPrompt(current, parentWindow());
}

void QtDialogs::setBusy(bool busy)
{
    if (busy) {
        ++m_busyDepth;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (m_busyDepth > 0) {
        --m_busyDepth;
        QApplication::restoreOverrideCursor();
    }
}

} // namespace hp::app
