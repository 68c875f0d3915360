#pragma once

#include <QString>

namespace hp::app {

// Turns a "label|pattern|label|pattern" filter into the form of QFileDialog.
// File names on Linux are case-sensitive, so an extension pattern such as
// "*.Prj" also matches its upper- and lower-case spellings.
QString qtFileFilter(const QString& pipeFilter);

} // namespace hp::app
