#pragma once

#include "CgCommandParser.h"
#include "FieldQueries.h"
#include "Project.h"
#include "Renderer.h"

#include <QMap>
#include <QObject>
#include <optional>

namespace hp::cg {

// What the virtual CG does with each command: the open project, the field
// values of every page, and the program output by layer.
class ServerState : public QObject {
    Q_OBJECT
public:
    struct Layer {
        QString page;
        Values values;
        bool fade = false;
    };
    struct Outcome {
        qint32 result = 1; // 1 done, -1 refused
        QString error;     // why it was refused
        QStringList notes; // what was accepted but ignored
    };

    using QObject::QObject;

    Outcome execute(qint32 code, const QString& text);
    // Where previews may be written: this folder, or, when empty, the open
    // project's folder.
    void setPreviewFolder(const QString& folder) { m_previewFolder = folder; }
    Outcome colourBar();
    // The game database every project's queries use instead of its own.
    void setDatabase(const QString& connection) { m_queries.setOverride(connection); }

    const std::optional<Project>& project() const { return m_project; }
    // The page's values as drawn: queried ones, and over them what the
    // console sent.
    Values values(const QString& page) const;
    const QMap<int, Layer>& layers() const { return m_layers; }
    bool colourBarsOn() const { return m_colourBars; }
    QSize outputSize() const;

signals:
    void programChanged();

private:
    Outcome openProject(const QString& path);
    Outcome loadFields(const QString& text, bool play);
    Outcome playPlain(const QString& text);
    Outcome preview(const QString& text);
    Outcome takeOff(const QString& text);
    Outcome clear(const QString& text);
    const Page* pageOrNull(const QString& name, Outcome& outcome) const;
    std::optional<Transition> transitionOrNull(const QString& effect, Outcome& outcome) const;
    void putOnAir(const Page& page, const Transition& t);
    void query(const Page& page, Outcome& outcome);

    std::optional<Project> m_project;
    QHash<QString, Values> m_values;  // sent by the console
    QHash<QString, Values> m_queried; // read from the database
    FieldQueries m_queries;
    QMap<int, Layer> m_layers;
    bool m_colourBars = false;
    PreviewCanvas m_canvas;
    QString m_previewFolder;
};

} // namespace hp::cg
