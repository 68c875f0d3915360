#pragma once

#include "CgCommandParser.h"
#include "PageQueries.h"
#include "Project.h"
#include "Renderer.h"

#include <QMap>
#include <QObject>
#include <functional>
#include <optional>

namespace hp::cg {

// What the virtual CG does with each command: the open project, the field
// values of every page, and the program output by layer. A command whose page
// reads fields from the database first is carried out once they are read, on
// another thread (PageQueries); meanwhile other commands are carried out.
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

    using Reply = std::function<void(const Outcome&)>;
    using Wanted = std::function<bool()>;

    using QObject::QObject;

    // Carries out the command and gives its outcome to reply: within this
    // call, or once the page's fields are read from the database (within
    // their time bound). wanted is asked before a command that waited is
    // carried out; when it answers false the command is dropped, no reply.
    void submit(qint32 code, const QString& text, Reply reply, Wanted wanted = {});
    // The same, waiting for the outcome (start-up, tests).
    Outcome execute(qint32 code, const QString& text);
    // Where previews may be written: this folder, or, when empty, the open
    // project's folder.
    void setPreviewFolder(const QString& folder) { m_previewFolder = folder; }
    Outcome colourBar();
    // The game database every project's queries use instead of its own.
    void setDatabase(const QString& connection) { m_database = connection; }

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
    // What a command does once its page's fields are read.
    using Then = std::function<void(const Page&, Outcome&)>;
    struct Waiting {
        int generation = 0;
        QString page;
        Outcome outcome;
        Then then;
        Reply reply;
        Wanted wanted;
    };

    Outcome openProject(const QString& path);
    void loadFields(const QString& text, bool play, Reply reply, Wanted wanted);
    void playPlain(const QString& text, Reply reply, Wanted wanted);
    void preview(const QString& text, Reply reply, Wanted wanted);
    Outcome takeOff(const QString& text);
    Outcome clear(const QString& text);
    const Page* pageOrNull(const QString& name, Outcome& outcome) const;
    std::optional<Transition> transitionOrNull(const QString& effect, Outcome& outcome) const;
    void putOnAir(const Page& page, const Transition& t);
    // Reads the page's fields first when query is true and it has queries.
    void withFields(const Page& page, bool query, Outcome outcome, Then then, Reply reply,
                    Wanted wanted);
    void onQueried(int id, const Values& values, const QStringList& notes);

    std::optional<Project> m_project;
    int m_generation = 0;             // of the project open: a new one each time one is read
    QHash<QString, Values> m_values;  // sent by the console
    QHash<QString, Values> m_queried; // read from the database
    QString m_database;               // the server's own, or empty
    PageQueries* m_queries = nullptr; // made when first needed
    QHash<int, Waiting> m_waiting;
    QMap<int, Layer> m_layers;
    bool m_colourBars = false;
    PreviewCanvas m_canvas;
    QString m_previewFolder;
};

} // namespace hp::cg
