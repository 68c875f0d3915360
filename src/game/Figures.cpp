#include "Figures.h"

#include <charconv>
#include <cmath>
#include <string>

namespace hp::game {
namespace {

bool isAsciiBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// The leading number as plain ASCII ("-12.5", ".5", "7"), or empty when the
// text does not begin with one. `end` receives the index after the number.
std::string leadingNumberText(QStringView text, qsizetype* end = nullptr)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isAsciiBlank(text[i]))
        ++i;
    std::string s;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-')
            s += '-';
        ++i;
    }
    bool digits = false;
    while (i < n && isAsciiDigit(text[i])) {
        s += char(text[i].unicode());
        digits = true;
        ++i;
    }
    if (i < n && text[i] == u'.') {
        ++i;
        std::string fraction;
        while (i < n && isAsciiDigit(text[i])) {
            fraction += char(text[i].unicode());
            ++i;
        }
        if (!fraction.empty()) {
            s += '.';
            s += fraction;
            digits = true;
        }
    }
    if (end)
        *end = i;
    return digits ? s : std::string();
}

double parse(const std::string& s)
{
    double v = 0;
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || !std::isfinite(v))
        return 0.0;
    return v == 0 ? 0.0 : v;
}

// |value| at 15 significant digits in plain notation ("2.225", "100", "0").
std::string plainDigits(double value)
{
    value = std::fabs(value);
    char sci[32];
    const auto r = std::to_chars(sci, sci + sizeof sci, value, std::chars_format::scientific, 14);
    double rounded = 0;
    std::from_chars(sci, r.ptr, rounded);
    if (rounded == 0)
        return "0";
    char fixed[400];
    const auto f = std::to_chars(fixed, fixed + sizeof fixed, rounded, std::chars_format::fixed);
    return std::string(fixed, f.ptr);
}

struct Pattern {
    int forcedIntegerDigits = 0;
    int decimals = 0;
};

std::optional<Pattern> parsePattern(QStringView pattern)
{
    Pattern p;
    qsizetype i = 0;
    for (; i < pattern.size() && pattern[i] != u'.'; ++i) {
        if (pattern[i] == u'0')
            ++p.forcedIntegerDigits;
        else if (pattern[i] != u'#')
            return std::nullopt;
    }
    if (i < pattern.size()) {
        for (++i; i < pattern.size(); ++i) {
            if (pattern[i] != u'0')
                return std::nullopt;
            ++p.decimals;
        }
    }
    return p;
}

} // namespace

bool isBlank(QStringView text)
{
    return text == kBlank;
}

double leadingNumber(QStringView text)
{
    const std::string s = leadingNumberText(text);
    return s.empty() ? 0.0 : parse(s);
}

QString numberText(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("0");
    const std::string digits = plainDigits(value);
    if (digits == "0")
        return QStringLiteral("0");
    return QString::fromLatin1((value < 0 ? "-" : "") + digits);
}

QString formatNumber(double value, QStringView pattern)
{
    const auto p = parsePattern(pattern);
    if (!p)
        return numberText(value);
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("∞") : QStringLiteral("-∞");
    if (std::isnan(value))
        value = 0;

    const std::string plain = plainDigits(value);
    const auto point = plain.find('.');
    std::string integer = plain.substr(0, point);
    std::string fraction = point == std::string::npos ? std::string() : plain.substr(point + 1);
    const auto decimals = std::size_t(p->decimals);
    if (fraction.size() > decimals) {
        const bool up = fraction[decimals] >= '5';
        fraction.resize(decimals);
        if (up) {
            std::string all = integer + fraction;
            auto k = all.size();
            while (k > 0 && all[k - 1] == '9')
                all[--k] = '0';
            if (k == 0)
                all.insert(all.begin(), '1');
            else
                ++all[k - 1];
            integer = all.substr(0, all.size() - decimals);
            fraction = all.substr(all.size() - decimals);
        }
    }
    fraction.resize(decimals, '0');
    integer.erase(0, integer.find_first_not_of('0'));
    if (integer.size() < std::size_t(p->forcedIntegerDigits))
        integer.insert(0, std::size_t(p->forcedIntegerDigits) - integer.size(), '0');

    std::string text = integer;
    if (decimals > 0)
        text += '.' + fraction;
    const bool zero = (integer + fraction).find_first_not_of('0') == std::string::npos;
    if (value < 0 && !zero)
        text.insert(text.begin(), '-');
    return QString::fromLatin1(text);
}

bool isNumber(QStringView text)
{
    qsizetype end = 0;
    if (leadingNumberText(text, &end).empty())
        return false;
    while (end < text.size() && isAsciiBlank(text[end]))
        ++end;
    return end == text.size();
}

QString formatTyped(QStringView typed, QStringView pattern)
{
    return isNumber(typed) ? formatNumber(leadingNumber(typed), pattern) : typed.toString();
}

std::optional<QString> steppedFigure(QStringView text, bool takeBack)
{
    if (isBlank(text))
        return std::nullopt;
    const double value = leadingNumber(text);
    if (!takeBack)
        return numberText(value + 1);
    if (value > 0)
        return numberText(value - 1);
    return std::nullopt;
}

QString runsTotal(const QStringList& cells)
{
    double sum = 0;
    for (const QString& cell : cells)
        sum += leadingNumber(cell);
    return numberText(sum);
}

} // namespace hp::game
