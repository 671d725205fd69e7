// Filters a small fixed database with the fuzzer's text and checks the rows the datasets show against a slow
// evaluation written here, apart from the data layer, from the filter language as the dataset documents it:
// comparisons of a field with a value (= <> < <= > >=), each optionally in parentheses, joined by And; texts in
// single quotes with a doubled quote for one, numbers bare, true and false; an empty text selects every row.
//
// The evaluation answers "these rows", "refused" or "not sure" (number spellings whose reading is the runtime's
// business: nan, infinities, digits of other scripts inside quotes). The dataset must refuse what it refuses, and
// select exactly its rows from what it accepts.

#include "data/DataError.h"
#include "data/DataModule.h"
#include "data/DbConnection.h"
#include "data/Schema.h"
#include "data/TextOrder.h"
#include "data/ZarkU.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <variant>
#include <vector>

namespace {

// ---- The fixed tables, as plain values ----

enum class Kind
{
    Int,
    Real,
    Bool,
    Text
};

using Value = std::variant<std::monostate, qint64, double, bool, QString>; // monostate: empty (NULL)

struct Column
{
    const char* name;
    Kind kind;
};

struct Table
{
    const char* name;
    const char* key; // the column that tells the rows apart
    std::vector<Column> columns;
    std::vector<std::vector<Value>> rows;
    QString insertSql;
};

QString s(const char16_t* text)
{
    return QString::fromUtf16(text);
}

const Value null{};

// Profiles with the three texts the data module calculates: the full name (title, trimmed first name, blank,
// trimmed last name), the grade text (empty outside the eight grades) and the gender text.
Table profiles()
{
    Table t{"Profiles",
            "FileNo",
            {{"FileNo", Kind::Int},
             {"Date", Kind::Text},
             {"FName", Kind::Text},
             {"LName", Kind::Text},
             {"Age", Kind::Int},
             {"Gender", Kind::Int},
             {"Grade", Kind::Int},
             {"QTable", Kind::Text},
             {"Completed", Kind::Bool},
             {"FullName", Kind::Text},
             {"GradeText", Kind::Text},
             {"GenderText", Kind::Text}},
            {},
            {}};
    t.rows = {
        {qint64(1), s(u"1402/01/01"), s(u"علي"), s(u"رضايي"), qint64(30), qint64(1), qint64(3), s(u"ABCDEFGHIJKLMNO"),
         true, s(u"آقاي علي رضايي"), s(u"ليسانس"), s(u"مذکر")},
        {qint64(2), s(u"1402/05/12"), s(u"مريم"), s(u"احمدي"), qint64(25), qint64(0), qint64(0), s(u"BCDEFGHIJKLMNOP"),
         false, s(u"خانم مريم احمدي"), s(u"زير ديپلم"), s(u"مونث")},
        {qint64(3), null, s(u" زهرا "), null, null, qint64(0), qint64(7), s(u"CCC"), false, s(u"خانم زهرا "),
         s(u"مدارک حوزه علميه"), s(u"مونث")},
        {qint64(-5), s(u"1399/12/30"), s(u"a'b"), s(u"A"), qint64(255), qint64(2), null, s(u""), true, s(u"آقاي a'b A"),
         s(u""), s(u"مذکر")},
        {qint64(2147483647), s(u"1402/01/01"), s(u"Ali"), s(u"ali"), qint64(0), qint64(1), qint64(9), s(u"x"), false,
         s(u"آقاي Ali ali"), s(u""), s(u"مذکر")},
        {qint64(-2147483648LL), s(u"1400/1/1"), s(u""), s(u"ی"), qint64(1), qint64(0), qint64(1), s(u"ZZ"), true,
         s(u"خانم  ی"), s(u"ديپلم"), s(u"مونث")},
    };
    t.insertSql =
        QStringLiteral("INSERT INTO Profiles VALUES (1, '1402/01/01', 'علي', 'رضايي', 30, 1, 3, 'ABCDEFGHIJKLMNO', 1),"
                       "(2, '1402/05/12', 'مريم', 'احمدي', 25, 0, 0, 'BCDEFGHIJKLMNOP', 0),"
                       "(3, NULL, ' زهرا ', NULL, NULL, 0, 7, 'CCC', 0),"
                       "(-5, '1399/12/30', 'a''b', 'A', 255, 2, NULL, '', 1),"
                       "(2147483647, '1402/01/01', 'Ali', 'ali', 0, 1, 9, 'x', 0),"
                       "(-2147483648, '1400/1/1', '', 'ی', 1, 0, 1, 'ZZ', 1)");
    return t;
}

// The master item list: the kinds Profiles lacks (fractions, very large and negative numbers, empty ones).
Table questions()
{
    Table t{"Questions",
            "Row",
            {{"Row", Kind::Int},
             {"Group1", Kind::Text},
             {"Group2", Kind::Text},
             {"Scoring", Kind::Bool},
             {"Question", Kind::Text},
             {"Answer", Kind::Real},
             {"Score", Kind::Real}},
            {},
            {}};
    t.rows = {
        {qint64(1), s(u"الف"), s(u"ب"), true, s(u"q1"), 0.0, 0.0},
        {qint64(2), s(u"الف"), s(u"پ"), false, s(u"=x"), 2.5, 3.5},
        {qint64(3), s(u"ج"), s(u"ی"), true, s(u"ك"), -1.0, null},
        {qint64(4), s(u"B"), s(u"b"), false, s(u"Q"), 1e300, 5.0},
        {qint64(10), null, s(u"x"), true, null, null, 1.5},
    };
    t.insertSql = QStringLiteral(
        "INSERT INTO Questions (Row, Group1, Group2, Scoring, Question, Answer, Score) VALUES "
        "(1, 'الف', 'ب', 1, 'q1', 0, 0), (2, 'الف', 'پ', 0, '=x', 2.5, 3.5), (3, 'ج', 'ی', 1, 'ك', -1.0, NULL),"
        "(4, 'B', 'b', 0, 'Q', 1e300, 5), (10, NULL, 'x', 1, NULL, NULL, 1.5)");
    return t;
}

// ---- The slow evaluation ----

struct Unsure
{
};
struct Refused
{
};

enum class Cmp
{
    Eq,
    Ne,
    Lt,
    Le,
    Gt,
    Ge
};

struct Condition
{
    int column;
    Cmp cmp;
    Value value;
};

std::optional<qint64> wholeNumber(const QString& text)
{
    const QByteArray a = text.toLatin1();
    const char* b = a.constData();
    const char* e = b + a.size();
    if (b != e && *b == '+')
        ++b;
    if (b == e || (*b == '-' && b + 1 == e))
        return std::nullopt;
    for (const char* p = (*b == '-' ? b + 1 : b); p != e; ++p)
        if (*p < '0' || *p > '9')
            return std::nullopt;
    qint64 n = 0;
    const auto r = std::from_chars(b, e, n);
    if (r.ec != std::errc() || r.ptr != e)
        return std::nullopt;
    return n;
}

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// A decimal number: sign, digits with at most one point (at least one digit), an optional exponent. Throws
// Unsure for a value past the range of a double or lost below it.
std::optional<double> decimalNumber(const QString& text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        ++i;
    int digits = 0;
    bool nonZero = false;
    bool point = false;
    for (; i < n; ++i) {
        if (isAsciiDigit(text[i])) {
            ++digits;
            nonZero = nonZero || text[i] != QLatin1Char('0');
        } else if (text[i] == QLatin1Char('.') && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < n && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        ++i;
        if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
            ++i;
        const qsizetype expStart = i;
        while (i < n && isAsciiDigit(text[i]))
            ++i;
        if (i == expStart)
            return std::nullopt;
    }
    if (i != n)
        return std::nullopt;
    const QByteArray a = text.toLatin1();
    const double d = std::strtod(a.constData(), nullptr);
    if (std::isinf(d) || (d == 0 && nonZero) || (d != 0 && std::fabs(d) < 2.3e-308))
        throw Unsure{};
    return d;
}

// A number written in a quoted text on a numeric field: surrounding blanks are dropped. What is plainly not a
// number is refused; spellings only the runtime settles (nan, inf, other scripts' digits) are Unsure.
Value numberInText(const QString& quoted, bool wantWhole)
{
    const QString t = quoted.trimmed();
    if (t.isEmpty())
        throw Refused{};
    if (const auto n = wholeNumber(t))
        return wantWhole ? Value(*n) : Value(double(*n));
    if (const auto d = decimalNumber(t))
        return *d;
    for (const QChar c : t) {
        if (c.unicode() >= 0x80)
            throw Unsure{};
    }
    static const QString maybe = QStringLiteral("0123456789+-.,eEnNaAiIfFtTyY");
    for (const QChar c : t)
        if (!maybe.contains(c))
            throw Refused{};
    throw Unsure{};
}

class Evaluation
{
public:
    Evaluation(const Table& table, const QString& text) : m_table(table), m_text(text) {}

    // The keys of the rows selected, in the table's order.
    std::vector<qint64> run()
    {
        skipBlanks();
        if (m_i < m_text.size()) {
            expression(0);
            skipBlanks();
            if (m_i < m_text.size())
                throw Refused{};
        }
        std::vector<qint64> keys;
        int keyColumn = 0;
        while (QLatin1String(m_table.columns[size_t(keyColumn)].name) != QLatin1String(m_table.key))
            ++keyColumn;
        for (const std::vector<Value>& row : m_table.rows) {
            bool all = true;
            for (const Condition& c : m_conditions)
                all = all && holds(row[size_t(c.column)], c);
            if (all)
                keys.push_back(std::get<qint64>(row[size_t(keyColumn)]));
        }
        return keys;
    }

private:
    void skipBlanks()
    {
        while (m_i < m_text.size() && m_text[m_i].isSpace())
            ++m_i;
    }
    bool atEnd()
    {
        skipBlanks();
        return m_i >= m_text.size();
    }
    QChar peek()
    {
        skipBlanks();
        return m_i < m_text.size() ? m_text[m_i] : QChar();
    }

    // A word: a letter or '_' then letters, digits and '_'; or anything between [ and ].
    std::optional<QString> word(bool* bracketed = nullptr)
    {
        skipBlanks();
        if (bracketed)
            *bracketed = false;
        if (m_i >= m_text.size())
            return std::nullopt;
        if (m_text[m_i] == QLatin1Char('[')) {
            const qsizetype close = m_text.indexOf(QLatin1Char(']'), m_i);
            if (close < 0)
                throw Refused{};
            const QString w = m_text.mid(m_i + 1, close - m_i - 1);
            m_i = close + 1;
            if (bracketed)
                *bracketed = true;
            return w;
        }
        if (!m_text[m_i].isLetter() && m_text[m_i] != QLatin1Char('_'))
            return std::nullopt;
        const qsizetype start = m_i++;
        while (m_i < m_text.size() && (m_text[m_i].isLetterOrNumber() || m_text[m_i] == QLatin1Char('_')))
            ++m_i;
        return m_text.mid(start, m_i - start);
    }

    static bool sameWord(const QString& a, const char* b)
    {
        return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0;
    }

    void expression(int depth)
    {
        term(depth);
        for (;;) {
            const qsizetype before = m_i;
            bool bracketed = false;
            const std::optional<QString> w = word(&bracketed);
            if (!w || !sameWord(*w, "and")) {
                m_i = before;
                return;
            }
            if (bracketed)
                throw Unsure{}; // a field name in brackets spelled "and"
            term(depth);
        }
    }

    void term(int depth)
    {
        if (peek() == QLatin1Char('(')) {
            if (depth + 1 > 100) // nesting is bounded so a hostile text cannot exhaust the stack
                throw Refused{};
            ++m_i;
            expression(depth + 1);
            if (peek() != QLatin1Char(')'))
                throw Refused{};
            ++m_i;
            return;
        }
        comparison();
    }

    void comparison()
    {
        const std::optional<QString> name = word();
        if (!name)
            throw Refused{};
        int column = -1;
        for (size_t c = 0; c < m_table.columns.size(); ++c)
            if (sameWord(*name, m_table.columns[c].name))
                column = int(c);
        if (column < 0)
            throw Refused{};
        Condition c{column, comparator(), Value()};
        c.value = converted(literal(), m_table.columns[size_t(column)].kind);
        m_conditions.push_back(c);
    }

    Cmp comparator()
    {
        const QChar a = peek();
        const QChar b = m_i + 1 < m_text.size() ? m_text[m_i + 1] : QChar();
        auto take = [this](int n, Cmp cmp) {
            m_i += n;
            return cmp;
        };
        if (a == QLatin1Char('='))
            return take(1, Cmp::Eq);
        if (a == QLatin1Char('<'))
            return b == QLatin1Char('>')   ? take(2, Cmp::Ne)
                   : b == QLatin1Char('=') ? take(2, Cmp::Le)
                                           : take(1, Cmp::Lt);
        if (a == QLatin1Char('>'))
            return b == QLatin1Char('=') ? take(2, Cmp::Ge) : take(1, Cmp::Gt);
        throw Refused{};
    }

    // The value as written: a quoted text, true or false, or a bare number.
    Value literal()
    {
        const QChar c = peek();
        if (c == QLatin1Char('\'')) {
            QString text;
            for (++m_i;; ++m_i) {
                if (m_i >= m_text.size())
                    throw Refused{};
                if (m_text[m_i] == QLatin1Char('\'')) {
                    if (m_i + 1 < m_text.size() && m_text[m_i + 1] == QLatin1Char('\'')) {
                        text += QLatin1Char('\'');
                        ++m_i;
                        continue;
                    }
                    ++m_i;
                    return text;
                }
                text += m_text[m_i];
            }
        }
        if (c == QLatin1Char('[') || c.isLetter() || c == QLatin1Char('_')) {
            bool bracketed = false;
            const std::optional<QString> w = word(&bracketed);
            if (w && (sameWord(*w, "true") || sameWord(*w, "false"))) {
                if (bracketed)
                    throw Unsure{};
                return sameWord(*w, "true");
            }
            throw Refused{};
        }
        if (!(c.isDigit() || c == QLatin1Char('-') || c == QLatin1Char('+') || c == QLatin1Char('.')))
            throw Refused{};
        // A number runs on over digits (of any script), points, and e or E with its sign.
        QString number;
        while (m_i < m_text.size()) {
            const QChar d = m_text[m_i];
            const bool sign = (d == QLatin1Char('-') || d == QLatin1Char('+'));
            const bool afterE =
                !number.isEmpty() && (number.back() == QLatin1Char('e') || number.back() == QLatin1Char('E'));
            if (number.isEmpty() && sign) {
                number += d;
            } else if (d.isDigit()) {
                number += QChar(u'0' + d.digitValue());
            } else if (d == QLatin1Char('.') || d == QLatin1Char('e') || d == QLatin1Char('E') || (sign && afterE)) {
                number += d;
            } else {
                break;
            }
            ++m_i;
        }
        if (const auto n = wholeNumber(number))
            return *n;
        if (const auto d = decimalNumber(number))
            return *d;
        throw Refused{};
    }

    static Value converted(const Value& v, Kind kind)
    {
        switch (kind) {
        case Kind::Int:
            if (const auto* b = std::get_if<bool>(&v))
                return qint64(*b);
            if (const auto* t = std::get_if<QString>(&v))
                return numberInText(*t, true);
            return v;
        case Kind::Real:
            if (const auto* b = std::get_if<bool>(&v))
                return double(*b);
            if (const auto* n = std::get_if<qint64>(&v))
                return double(*n);
            if (const auto* t = std::get_if<QString>(&v))
                return numberInText(*t, false);
            return v;
        case Kind::Bool:
            if (const auto* n = std::get_if<qint64>(&v))
                return *n != 0;
            if (const auto* d = std::get_if<double>(&v))
                return *d != 0;
            if (const auto* t = std::get_if<QString>(&v)) {
                const QString w = t->trimmed();
                if (sameWord(w, "true") || sameWord(w, "yes"))
                    return true;
                if (sameWord(w, "false") || sameWord(w, "no"))
                    return false;
                const Value number = numberInText(w, false);
                return std::get<double>(number) != 0;
            }
            return v;
        case Kind::Text:
            if (const auto* b = std::get_if<bool>(&v))
                return QString::fromLatin1(*b ? "true" : "false");
            if (const auto* n = std::get_if<qint64>(&v))
                return QString::number(*n);
            if (std::holds_alternative<double>(v))
                throw Unsure{}; // the spelling of a fraction as text is the runtime's
            return v;
        }
        return v;
    }

    // -1, 0, 1: the row's value against the condition's.
    static int order(const Value& row, const Value& value)
    {
        if (const auto* a = std::get_if<QString>(&row)) {
            const QString& b = std::get<QString>(value);
            if (*a == b)
                return 0;
            const int r = comparePersian(*a, b);
            return r < 0 ? -1 : 1;
        }
        auto asInt = [](const Value& x) -> std::optional<qint64> {
            if (const auto* n = std::get_if<qint64>(&x))
                return *n;
            if (const auto* b = std::get_if<bool>(&x))
                return qint64(*b);
            return std::nullopt;
        };
        auto asReal = [](const Value& x) {
            if (const auto* d = std::get_if<double>(&x))
                return *d;
            if (const auto* n = std::get_if<qint64>(&x))
                return double(*n);
            return double(std::get<bool>(x));
        };
        const auto x = asInt(row);
        const auto y = asInt(value);
        if (x && y)
            return *x < *y ? -1 : (*x > *y ? 1 : 0);
        const double dx = asReal(row);
        const double dy = asReal(value);
        return dx < dy ? -1 : (dx > dy ? 1 : 0);
    }

    // An empty row value satisfies no comparison, not even <>.
    static bool holds(const Value& row, const Condition& c)
    {
        if (std::holds_alternative<std::monostate>(row))
            return false;
        const int o = order(row, c.value);
        switch (c.cmp) {
        case Cmp::Eq:
            return o == 0;
        case Cmp::Ne:
            return o != 0;
        case Cmp::Lt:
            return o < 0;
        case Cmp::Le:
            return o <= 0;
        case Cmp::Gt:
            return o > 0;
        case Cmp::Ge:
            return o >= 0;
        }
        return false;
    }

    const Table& m_table;
    const QString& m_text;
    qsizetype m_i = 0;
    std::vector<Condition> m_conditions;
};

// ---- The real datasets ----

struct Fixture
{
    QTemporaryDir dir;
    Table tables[2] = {profiles(), questions()};
    TData data;
    TableDataSet items;

    Fixture()
    {
        const QString file = QDir(dir.path()).filePath(QStringLiteral("Ravlen.mdb"));
        Schema::createDatabaseFile(file);
        {
            DbConnection db;
            db.setConnectionString(JetConnectionString(file, QString()));
            db.open();
            for (const Table& t : tables)
                db.execute(t.insertSql);
        }
        data.ConnectToDatabase(file);
        data.tbProfiles.setFiltered(true);
        items.setConnection(&data.Database);
        items.setTableName(QStringLiteral("Questions"));
        items.setFiltered(true);
        items.open();
    }
};

Fixture* fixture = nullptr;

[[noreturn]] void fail(const char* what, const QString& text, const QString& detail = QString())
{
    QString shown = text;
    shown.replace(QChar::Null, QStringLiteral("<NUL>"));
    std::fprintf(stderr, "%s\nfilter: %s\n%s\n", what, qUtf8Printable(shown), qUtf8Printable(detail));
    std::abort();
}

QString keysText(const std::vector<qint64>& keys)
{
    QStringList parts;
    for (qint64 k : keys)
        parts << QString::number(k);
    return parts.join(QLatin1Char(','));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    fixture = new Fixture;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    if (size == 0)
        return 0;
    const bool onItems = bytes[0] & 1;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(bytes + 1), qsizetype(size - 1));
    const Table& table = fixture->tables[onItems ? 1 : 0];
    DataSet& ds = onItems ? static_cast<DataSet&>(fixture->items) : fixture->data.tbProfiles;

    std::optional<std::vector<qint64>> expected;
    bool refused = false;
    try {
        expected = Evaluation(table, text).run();
    } catch (const Refused&) {
        refused = true;
    } catch (const Unsure&) {
    }

    std::vector<qint64> shown;
    try {
        ds.setFilter(text);
        for (ds.first(); !ds.eof(); ds.next())
            shown.push_back(ds.fieldByName(QLatin1String(table.key)).value().toLongLong());
    } catch (const DataError& e) {
        if (e.kind() != DataError::Kind::BadFilter)
            fail("a filter failed with an error other than a bad filter", text, e.message());
        if (expected)
            fail("the dataset refused a filter the evaluation reads", text,
                 e.message() + QStringLiteral("\nexpected rows: ") + keysText(*expected));
        return 0;
    }
    if (refused)
        fail("the dataset accepted a filter the evaluation refuses", text, QStringLiteral("rows: ") + keysText(shown));
    if (expected && shown != *expected)
        fail("the dataset shows other rows than the evaluation selects", text,
             QStringLiteral("shown: ") + keysText(shown) + QStringLiteral("\nexpected: ") + keysText(*expected));
    return 0;
}
