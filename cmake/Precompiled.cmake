# Headers that nearly every file reads, parsed once for a target instead of
# once for each of its files.
set(HP_PCH_CORE
  <QByteArray> <QDateTime> <QFile> <QHash> <QJsonArray> <QJsonDocument> <QJsonObject> <QList>
  <QMap> <QObject> <QPointer> <QString> <QStringList> <QTimer> <QVariant>
  <functional> <memory> <optional>)
set(HP_PCH_WIDGETS
  <QApplication> <QCheckBox> <QComboBox> <QGroupBox> <QHBoxLayout> <QLabel> <QLineEdit>
  <QListWidget> <QMainWindow> <QPushButton> <QVBoxLayout> <QWidget>)

# hp_precompile(TARGET [WIDGETS]): the core headers, and the widgets' for a
# target that links Qt Widgets.
function(hp_precompile target)
  cmake_parse_arguments(P "WIDGETS" "" "" ${ARGN})
  set(headers ${HP_PCH_CORE})
  if(P_WIDGETS)
    list(APPEND headers ${HP_PCH_WIDGETS})
  endif()
  target_precompile_headers(${target} PRIVATE ${headers})
endfunction()
