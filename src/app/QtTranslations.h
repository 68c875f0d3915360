#pragma once

class QCoreApplication;

namespace hp::app {

// Loads Qt's own Traditional Chinese texts (OK, Cancel, the file dialogs),
// so that Qt's dialogs speak the program's language. False when the
// translation files are not installed; Qt's English texts stay then.
bool installQtTranslations(QCoreApplication& app);

} // namespace hp::app
