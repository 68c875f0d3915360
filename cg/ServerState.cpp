#include "ServerState.h"

#include "SafeFile.h"

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

void ServerState::query(const Page& page, Outcome& outcome)
{
    if (page.queries.isEmpty())
        return;
    m_queried.insert(page.name, m_queries.run(*m_project, page, outcome.notes));
}

ServerState::Outcome ServerState::execute(qint32 code, const QString& text)
{
    switch (code) {
    case 0:
        return clear(text);
    case 4:
        return playPlain(text);
    case 5:
        return takeOff(text);
    case 9:
        return loadFields(text, false);
    case 17:
        return openProject(text);
    case 20:
        return loadFields(text, true);
    case 24:
        return preview(text);
    default:
        return refused(QStringLiteral("unknown command code %1").arg(code));
    }
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
    m_project = std::move(project.value());
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

ServerState::Outcome ServerState::loadFields(const QString& text, bool play)
{
    const auto cmd = parseFieldCommand(text);
    if (!cmd)
        return refused(QStringLiteral("not a field command"));
    Outcome outcome;
    const Page* page = pageOrNull(cmd->page, outcome);
    if (!page)
        return outcome;
    const auto transition = play ? transitionOrNull(cmd->effect, outcome) : std::nullopt;
    if (play && !transition)
        return outcome;
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
    query(*page, outcome);
    if (transition)
        putOnAir(*page, *transition);
    return outcome;
}

ServerState::Outcome ServerState::playPlain(const QString& text)
{
    const auto cmd = parsePlainCommand(text);
    if (!cmd)
        return refused(QStringLiteral("not a page command"));
    Outcome outcome;
    const Page* page = pageOrNull(cmd->page, outcome);
    const auto transition = page ? transitionOrNull(cmd->effect, outcome) : std::nullopt;
    if (!transition)
        return outcome;
    // A page played without being loaded or previewed first reads its
    // queries now; otherwise it goes to air as last loaded.
    if (!m_queried.contains(page->name))
        query(*page, outcome);
    putOnAir(*page, *transition);
    return outcome;
}

ServerState::Outcome ServerState::preview(const QString& text)
{
    const auto request = parsePreviewRequest(text);
    if (!request)
        return refused(QStringLiteral("not a preview request"));
    Outcome outcome;
    const Page* page = pageOrNull(request->page, outcome);
    if (!page)
        return outcome;
    // Only where previews belong, whatever the path says: a client must not be
    // able to write over any file the server may write.
    const QString folder = m_previewFolder.isEmpty() ? m_project->folder : m_previewFolder;
    const auto target = newFileInside(request->path, folder);
    if (!target)
        return refused(QStringLiteral("preview refused: %1").arg(target.error()));
    query(*page, outcome);
    const QImage& image = m_canvas.render(*m_project, *page, values(page->name));
    const auto written =
        replaceFile(*target, [&image](QIODevice& file) { return image.save(&file, "BMP"); });
    if (!written)
        return refused(written.error());
    return outcome;
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
