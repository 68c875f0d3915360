#pragma once

#include <QString>
#include <QStringList>

namespace hp::setup {

// The fielding positions offered for the nine batting slots.
QStringList defaultPositions();

struct PositionsRead {
    QStringList positions; // nine, or the defaults
    QString problem;       // why the defaults stayed; empty when the file was used
};

// Reads the nine lines after "[守位]" of baseball.ini, each position being the
// first two characters of its line. UTF-8, or code page 950 for files made on
// the old system.
PositionsRead readPositions(const QString& iniFile);

} // namespace hp::setup
