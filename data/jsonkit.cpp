#include "data/jsonkit.h"
#include "data/timereaders.h"

#include <QByteArray>
#include <QLocale>

#include <cstring>

namespace JsonKit {

namespace {

bool isAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isJsonBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isHex(char c)
{
    return isAsciiDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)?, the grammar of a JSON number.
bool isJsonNumber(std::string_view number)
{
    std::size_t i = 0;
    const std::size_t n = number.size();
    const auto digits = [&] {
        const std::size_t from = i;
        while (i < n && isAsciiDigit(number[i]))
            ++i;
        return i > from;
    };
    if (i < n && number[i] == '-')
        ++i;
    if (i < n && number[i] == '0')
        ++i;
    else if (!digits())
        return false;
    if (i < n && number[i] == '.') {
        ++i;
        if (!digits())
            return false;
    }
    if (i < n && (number[i] == 'e' || number[i] == 'E')) {
        ++i;
        if (i < n && (number[i] == '+' || number[i] == '-'))
            ++i;
        if (!digits())
            return false;
    }
    return i == n;
}

// The number's text: its raw token runs on to the next structural character.
std::string_view numberToken(Value value)
{
    std::string_view token = value.raw_json_token();
    while (!token.empty() && isJsonBlank(token.back()))
        token.remove_suffix(1);
    return token;
}

// A digit other than zero before the exponent: a number that reads as zero only by underflow.
bool hasSignificantDigit(std::string_view number)
{
    for (char c : number) {
        if (c == 'e' || c == 'E')
            return false;
        if (c >= '1' && c <= '9')
            return true;
    }
    return false;
}

// The escapes of a string that is skipped, which simdjson checks only when it unescapes one. The
// raw token runs from the opening quote to the next structural character.
void checkEscapes(std::string_view token)
{
    const char *p = token.data();
    const char *end = p + token.size();
    while ((p = static_cast<const char *>(std::memchr(p, '\\', std::size_t(end - p))))) {
        if (end - p < 2)
            throw simdjson::simdjson_error(simdjson::STRING_ERROR);
        const char c = p[1];
        if (c == 'u') {
            if (end - p < 6 || !isHex(p[2]) || !isHex(p[3]) || !isHex(p[4]) || !isHex(p[5]))
                throw simdjson::simdjson_error(simdjson::STRING_ERROR);
            p += 6;
        } else if (std::strchr("\"\\/bfnrt", c) && c != '\0') {
            p += 2;
        } else {
            throw simdjson::simdjson_error(simdjson::STRING_ERROR);
        }
    }
}

} // namespace

void skip(Value value)
{
    switch (value.type()) {
    case Type::array:
        for (Value element : value.get_array())
            skip(element);
        break;
    case Type::object:
        for (auto field : value.get_object()) {
            std::string_view key = field.unescaped_key();
            (void)key;
            skip(field.value());
        }
        break;
    case Type::string:
        checkEscapes(value.raw_json_token());
        break;
    case Type::number:
        number(value);
        break;
    case Type::boolean:
        value.get_bool();
        break;
    case Type::null:
        if (!value.is_null())
            throw simdjson::simdjson_error(simdjson::N_ATOM_ERROR);
        break;
    }
}

std::optional<double> number(Value value)
{
    if (value.type() != Type::number) {
        skip(value);
        return std::nullopt;
    }
    double read = 0;
    if (value.get_double().get(read) == simdjson::SUCCESS) {
        if (read == 0 && hasSignificantDigit(numberToken(value)))
            return std::nullopt;
        return read;
    }
    // Beyond double's range, or no number at all; simdjson says neither apart.
    if (!isJsonNumber(numberToken(value)))
        throw simdjson::simdjson_error(simdjson::NUMBER_ERROR);
    return std::nullopt;
}

bool isTrue(Value value)
{
    if (value.type() != Type::boolean) {
        skip(value);
        return false;
    }
    return value.get_bool();
}

QString string(Value value)
{
    if (value.type() != Type::string) {
        skip(value);
        return {};
    }
    const std::string_view text = value.get_string();
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QString idText(Value value)
{
    switch (value.type()) {
    case Type::string:
        return string(value);
    case Type::number: {
        std::int64_t whole = 0;
        if (value.get_number_type() == simdjson::ondemand::number_type::signed_integer
            && value.get_int64().get(whole) == simdjson::SUCCESS)
            return QString::number(whole);
        const std::optional<double> read = number(value);
        return read ? QString::number(*read, 'g', QLocale::FloatingPointShortest) : QString();
    }
    case Type::boolean:
        return value.get_bool() ? QStringLiteral("true") : QStringLiteral("false");
    default:
        skip(value);
        return {};
    }
}

QString nameText(Value value)
{
    if (value.type() == Type::number) {
        const std::optional<double> read = number(value);
        return read ? QString::number(*read) : QString();
    }
    return string(value);
}

} // namespace JsonKit

namespace TimeReaders {

using namespace JsonKit;

namespace {

// An object, or an array of arrays, objects or strings: what a backup or a part of one starts
// with. A list whose first entry is a [comment] starts with a bracket too.
bool looksLikeJson(QStringView text)
{
    if (text.startsWith(u'{'))
        return true;
    if (!text.startsWith(u'['))
        return false;
    const QStringView rest = text.sliced(1).trimmed();
    return rest.startsWith(u'[') || rest.startsWith(u'{') || rest.startsWith(u'"');
}

} // namespace

std::optional<SessionSet> readBackup(QStringView text)
{
    // CubeTime's writer may indent; csTimer's is one line.
    const QStringView json = text.trimmed();
    if (!looksLikeJson(json))
        return std::nullopt;
    // The one copy of the text: simdjson reads UTF-8, with its padding after the end.
    QByteArray utf8 = json.toUtf8();
    if (utf8.capacity() - utf8.size() < qsizetype(simdjson::SIMDJSON_PADDING))
        utf8.reserve(utf8.size() + qsizetype(simdjson::SIMDJSON_PADDING));
    std::optional<SessionSet> set;
    try {
        simdjson::ondemand::parser parser;
        Parsers parsers;
        simdjson::ondemand::document document = parser.iterate(
            utf8.constData(), std::size_t(utf8.size()), std::size_t(utf8.capacity()));
        readRoot(document, [&](Value root) {
            if (root.type() != Type::object)
                return skip(root);
            Object object = root.get_object();
            set = text.startsWith(u"{\"sessions\":[") ? readCubeDeskData(object)
                                                      : readCsTimerBackup(parsers, object);
        });
    } catch (const simdjson::simdjson_error &) {
        SessionSet unreadable;
        unreadable.unreadable = true;
        return unreadable;
    }
    return set;
}

} // namespace TimeReaders
