#include "ServerState.h"

#include "FieldQueries.h"
#include "PreviewBmp.h"
#include "SafeFile.h"

#include <QEventLoop>

namespace hp::cg {

namespace {
ServerState::Outcome refused(const QString& why)
{
    return {-1, why, {}};
}
} // namespace

QSize ServerState::outputSize() const
{
    return m_project ? m_project->canvas : QSize(720, 486);
}

Values ServerState::values(const QString& page) const
{
    Values out = m_queried.value(page);
    const Values sent = m_values.value(page);
    for (auto it = sent.cbegin(); it != sent.cend(); ++it)
        out.insert(it.key(), it.value());
    return out;
}

void ServerState::submit(qint32 code, const QString& text, Reply reply, Wanted wanted)
{
    switch (code) {
    case 0:
        return reply(clear(text));
    case 4:
        return playPlain(text, std::move(reply), std::move(wanted));
    case 5:
        return reply(takeOff(text));
    case 9:
        return loadFields(text, false, std::move(reply), std::move(wanted));
    case 17:
        return reply(openProject(text));
    case 20:
        return loadFields(text, true, std::move(reply), std::move(wanted));
    case 24:
        return preview(text, std::move(reply), std::move(wanted));
    default:
        return reply(refused(QStringLiteral("unknown command code %1").arg(code)));
    }
}

ServerState::Outcome ServerState::execute(qint32 code, const QString& text)
{
    std::optional<Outcome> outcome;
    QEventLoop loop;
    submit(code, text, [&](const Outcome& o) {
        outcome = o;
        loop.quit();
    });
    if (!outcome)
        loop.exec();
    return *outcome;
}

void ServerState::withFields(const Page& page, bool query, Outcome outcome, Then then, Reply reply,
                             Wanted wanted)
{
    if (!query || page.queries.isEmpty()) {
        then(page, outcome);
        return reply(outcome);
    }
    if (!m_queries) {
        m_queries = new PageQueries(this);
        connect(m_queries, &PageQueries::finished, this, &ServerState::onQueried);
    }
    const int id = m_queries->start(queryConnection(m_database, *m_project), page,
                                    QDeadlineTimer(FieldQueries::kBudgetMs));
    m_waiting.insert(id, Waiting{m_generation, page.name, std::move(outcome), std::move(then),
                                 std::move(reply), std::move(wanted)});
}

void ServerState::onQueried(int id, const Values& values, const QStringList& notes)
{
    auto waiting = m_waiting.take(id);
    if (!waiting.reply || (waiting.wanted && !waiting.wanted()))
        return;
    if (waiting.generation != m_generation)
        return waiting.reply(
            refused(QStringLiteral("another project was opened while the fields of %1 were read")
                        .arg(waiting.page)));
    m_queried.insert(waiting.page, values);
    waiting.outcome.notes += notes;
    // The same project is open: its pages are where they were.
    waiting.then(*m_project->page(waiting.page), waiting.outcome);
    waiting.reply(waiting.outcome);
}

ServerState::Outcome ServerState::colourBar()
{
    m_colourBars = true;
    emit programChanged();
    return {};
}

ServerState::Outcome ServerState::openProject(const QString& path)
{
    auto project = loadProject(path);
    if (!project)
        return refused(project.error());
    // The console opens its project again after every reconnect: unchanged,
    // it keeps what is on air.
    if (m_project && m_project->path == project->path &&
        m_project->fingerprint == project->fingerprint)
        return {1, {}, {QStringLiteral("%1 is open already, unchanged").arg(m_project->path)}};
    m_project = std::move(project.value());
    ++m_generation;
    m_values.clear();
    m_queried.clear();
    m_layers.clear();
    emit programChanged();
    return {};
}

const Page* ServerState::pageOrNull(const QString& name, Outcome& outcome) const
{
    if (!m_project) {
        outcome = refused(QStringLiteral("no project is open"));
        return nullptr;
    }
    const Page* page = m_project->page(name);
    if (!page)
        outcome = refused(QStringLiteral("no page %1 in %2").arg(name, m_project->path));
    return page;
}

std::optional<Transition> ServerState::transitionOrNull(const QString& effect,
                                                        Outcome& outcome) const
{
    const auto transition = parseEffect(effect);
    if (!transition)
        outcome = refused(QStringLiteral("unknown effect %1").arg(effect));
    return transition;
}

void ServerState::putOnAir(const Page& page, const Transition& t)
{
    // A page is on one layer at a time.
    for (auto it = m_layers.begin(); it != m_layers.end();)
        it = it.value().page == page.name ? m_layers.erase(it) : std::next(it);
    m_layers.insert(t.layer, Layer{page.name, values(page.name), !t.cut});
    m_colourBars = false;
    emit programChanged();
}

void ServerState::loadFields(const QString& text, bool play, Reply reply, Wanted wanted)
{
    const auto cmd = parseFieldCommand(text);
    if (!cmd)
        return reply(refused(QStringLiteral("not a field command")));
    Outcome outcome;
    const Page* page = pageOrNull(cmd->page, outcome);
    if (!page)
        return reply(outcome);
    const auto transition = play ? transitionOrNull(cmd->effect, outcome) : std::nullopt;
    if (play && !transition)
        return reply(outcome);
    const QStringList known = page->fieldNames();
    Values& values = m_values[page->name];
    for (const FieldValue& f : cmd->fields) {
        if (known.contains(f.name))
            values.insert(f.name, f.value);
        else
            outcome.notes << QStringLiteral("page %1 has no field %2").arg(page->name, f.name);
    }
    if (cmd->declaredCount != cmd->fields.size())
        outcome.notes << QStringLiteral("header of %1 says %2 fields, %3 came")
                             .arg(page->name)
                             .arg(cmd->declaredCount)
                             .arg(cmd->fields.size());
    withFields(
        *page, true, std::move(outcome),
        [this, transition](const Page& page, Outcome&) {
            if (transition)
                putOnAir(page, *transition);
        },
        std::move(reply), std::move(wanted));
}

void ServerState::playPlain(const QString& text, Reply reply, Wanted wanted)
{
    const auto cmd = parsePlainCommand(text);
    if (!cmd)
        return reply(refused(QStringLiteral("not a page command")));
    Outcome outcome;
    const Page* page = pageOrNull(cmd->page, outcome);
    const auto transition = page ? transitionOrNull(cmd->effect, outcome) : std::nullopt;
    if (!transition)
        return reply(outcome);
    // A page played without being loaded or previewed first reads its
    // queries now; otherwise it goes to air as last loaded.
    withFields(
        *page, !m_queried.contains(page->name), std::move(outcome),
        [this, t = *transition](const Page& page, Outcome&) { putOnAir(page, t); },
        std::move(reply), std::move(wanted));
}

void ServerState::preview(const QString& text, Reply reply, Wanted wanted)
{
    const auto request = parsePreviewRequest(text);
    if (!request)
        return reply(refused(QStringLiteral("not a preview request")));
    Outcome outcome;
    const Page* page = pageOrNull(request->page, outcome);
    if (!page)
        return reply(outcome);
    // Only where previews belong, whatever the path says: a client must not be
    // able to write over any file the server may write.
    const QString folder = m_previewFolder.isEmpty() ? m_project->folder : m_previewFolder;
    const auto target = newFileInside(request->path, folder);
    if (!target)
        return reply(refused(QStringLiteral("preview refused: %1").arg(target.error())));
    withFields(
        *page, true, std::move(outcome),
        [this, file = *target](const Page& page, Outcome& outcome) {
            const QImage& image = m_canvas.render(*m_project, page, values(page.name));
            const auto written = replaceFile(
                file, [&image](QIODevice& out) { return cglink::writePreviewBmp(out, image); });
            if (!written)
                outcome = refused(written.error());
        },
        std::move(reply), std::move(wanted));
}

ServerState::Outcome ServerState::takeOff(const QString& text)
{
    const auto reference = parseTakeOff(text);
    if (!reference)
        return refused(QStringLiteral("not a take-off reference"));
    const Page* page = m_project ? m_project->page(*reference) : nullptr;
    const QString name = page ? page->name : *reference;
    bool removed = false;
    for (auto it = m_layers.begin(); it != m_layers.end();) {
        if (it.value().page == name) {
            it = m_layers.erase(it);
            removed = true;
        } else {
            ++it;
        }
    }
    if (!removed)
        return {0, QString(), {QStringLiteral("%1 is not on air").arg(*reference)}};
    emit programChanged();
    return {};
}

ServerState::Outcome ServerState::clear(const QString& text)
{
    if (text.trimmed() != QStringLiteral("-1"))
        return refused(QStringLiteral("clear takes \"-1\""));
    m_layers.clear();
    m_colourBars = false;
    emit programChanged();
    return {};
}

} // namespace hp::cg
