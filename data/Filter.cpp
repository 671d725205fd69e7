#include "data/Filter.h"

#include "data/DataError.h"

#include <cmath>

namespace {

enum class Tok
{
    End,
    LParen,
    RParen,
    Ident,
    Text,
    Number,
    Op
};

struct Token
{
    Tok kind = Tok::End;
    QString text;
    int pos = 0;
};

class Lexer
{
public:
    explicit Lexer(const QString& s, const QString& whole) : m_s(s), m_whole(whole) {}

    Token next()
    {
        while (m_i < m_s.size() && m_s[m_i].isSpace())
            ++m_i;
        Token t;
        t.pos = m_i;
        if (m_i >= m_s.size())
            return t;
        const QChar c = m_s[m_i];
        if (c == QLatin1Char('(')) {
            ++m_i;
            t.kind = Tok::LParen;
        } else if (c == QLatin1Char(')')) {
            ++m_i;
            t.kind = Tok::RParen;
        } else if (c == QLatin1Char('\'')) {
            t.kind = Tok::Text;
            ++m_i;
            for (;;) {
                if (m_i >= m_s.size())
                    fail(QStringLiteral("a text value opened at position %1 is not closed").arg(t.pos + 1));
                if (m_s[m_i] == QLatin1Char('\'')) {
                    if (m_i + 1 < m_s.size() && m_s[m_i + 1] == QLatin1Char('\'')) {
                        t.text += QLatin1Char('\'');
                        m_i += 2;
                        continue;
                    }
                    ++m_i;
                    break;
                }
                t.text += m_s[m_i++];
            }
        } else if (c == QLatin1Char('[')) {
            const int close = m_s.indexOf(QLatin1Char(']'), m_i);
            if (close < 0)
                fail(QStringLiteral("a field name opened at position %1 is not closed").arg(t.pos + 1));
            t.kind = Tok::Ident;
            t.text = m_s.mid(m_i + 1, close - m_i - 1);
            m_i = close + 1;
        } else if (c == QLatin1Char('<') || c == QLatin1Char('>') || c == QLatin1Char('=')) {
            t.kind = Tok::Op;
            t.text = c;
            ++m_i;
            if (m_i < m_s.size() && c != QLatin1Char('=') &&
                (m_s[m_i] == QLatin1Char('=') || (c == QLatin1Char('<') && m_s[m_i] == QLatin1Char('>'))))
                t.text += m_s[m_i++];
        } else if (c.isDigit() || c == QLatin1Char('-') || c == QLatin1Char('+') || c == QLatin1Char('.')) {
            t.kind = Tok::Number;
            int j = m_i + 1;
            while (j < m_s.size() && (m_s[j].isDigit() || m_s[j] == QLatin1Char('.') || m_s[j] == QLatin1Char('e') ||
                                      m_s[j] == QLatin1Char('E') ||
                                      ((m_s[j] == QLatin1Char('-') || m_s[j] == QLatin1Char('+')) &&
                                       (m_s[j - 1] == QLatin1Char('e') || m_s[j - 1] == QLatin1Char('E')))))
                ++j;
            // Digits typed in another script (Persian, Arabic-Indic) read as the same number.
            for (qsizetype k = m_i; k < j; ++k) {
                const QChar d = m_s[k];
                t.text += d.isDigit() ? QChar(u'0' + d.digitValue()) : d;
            }
            m_i = j;
        } else if (c.isLetter() || c == QLatin1Char('_')) {
            t.kind = Tok::Ident;
            int j = m_i + 1;
            while (j < m_s.size() && (m_s[j].isLetterOrNumber() || m_s[j] == QLatin1Char('_')))
                ++j;
            t.text = m_s.mid(m_i, j - m_i);
            m_i = j;
        } else {
            fail(QStringLiteral("unexpected '%1' at position %2").arg(c).arg(m_i + 1));
        }
        return t;
    }

    [[noreturn]] void fail(const QString& why) const
    {
        // A pasted or hostile text can be very long; the report quotes its start.
        constexpr int quoted = 200;
        const QString shown = m_whole.size() > quoted ? m_whole.left(quoted) + QStringLiteral("…") : m_whole;
        throw DataError(QStringLiteral("Bad filter text \"%1\": %2").arg(shown, why), DataError::Kind::BadFilter);
    }

private:
    const QString& m_s;
    const QString& m_whole;
    int m_i = 0;
};

class Parser
{
public:
    Parser(const QString& text, const std::vector<FieldDef>& fields, std::vector<FilterExpression::Condition>& out)
        : m_lex(text, text), m_fields(fields), m_out(out)
    {
        advance();
    }

    void parseAll()
    {
        if (m_tok.kind == Tok::End)
            return;
        parseAnd();
        if (m_tok.kind != Tok::End)
            m_lex.fail(QStringLiteral("unexpected '%1' at position %2").arg(describe(m_tok)).arg(m_tok.pos + 1));
    }

private:
    static QString describe(const Token& t)
    {
        switch (t.kind) {
        case Tok::LParen:
            return QStringLiteral("(");
        case Tok::RParen:
            return QStringLiteral(")");
        case Tok::Text:
            return QLatin1Char('\'') + t.text + QLatin1Char('\'');
        case Tok::End:
            return QStringLiteral("end of text");
        default:
            return t.text;
        }
    }

    void advance() { m_tok = m_lex.next(); }

    void parseAnd()
    {
        parseTerm();
        while (m_tok.kind == Tok::Ident && m_tok.text.compare(QLatin1String("and"), Qt::CaseInsensitive) == 0) {
            advance();
            parseTerm();
        }
    }

    void parseTerm()
    {
        if (m_tok.kind == Tok::LParen) {
            // Each "(" costs a level of recursion; a bound keeps a hostile text from exhausting the stack.
            if (++m_depth > maxNesting)
                m_lex.fail(QStringLiteral("parentheses nested deeper than %1 levels at position %2")
                               .arg(maxNesting)
                               .arg(m_tok.pos + 1));
            advance();
            parseAnd();
            if (m_tok.kind != Tok::RParen)
                m_lex.fail(QStringLiteral("expected ')' at position %1").arg(m_tok.pos + 1));
            advance();
            --m_depth;
            return;
        }
        parseComparison();
    }

    void parseComparison()
    {
        if (m_tok.kind != Tok::Ident)
            m_lex.fail(QStringLiteral("expected a field name at position %1, found %2")
                           .arg(m_tok.pos + 1)
                           .arg(describe(m_tok)));
        const QString fieldName = m_tok.text;
        int field = -1;
        for (size_t i = 0; i < m_fields.size(); ++i)
            if (m_fields[i].name.compare(fieldName, Qt::CaseInsensitive) == 0) {
                field = int(i);
                break;
            }
        if (field < 0)
            m_lex.fail(QStringLiteral("unknown field '%1'").arg(fieldName));
        advance();
        if (m_tok.kind != Tok::Op)
            m_lex.fail(QStringLiteral("expected a comparison after '%1' at position %2, found %3")
                           .arg(fieldName)
                           .arg(m_tok.pos + 1)
                           .arg(describe(m_tok)));
        FilterExpression::Condition c;
        c.field = field;
        c.type = m_fields[size_t(field)].type;
        const QString op = m_tok.text;
        if (op == QLatin1String("="))
            c.op = FilterExpression::Op::Equal;
        else if (op == QLatin1String("<>"))
            c.op = FilterExpression::Op::NotEqual;
        else if (op == QLatin1String("<"))
            c.op = FilterExpression::Op::Less;
        else if (op == QLatin1String("<="))
            c.op = FilterExpression::Op::LessEqual;
        else if (op == QLatin1String(">"))
            c.op = FilterExpression::Op::Greater;
        else if (op == QLatin1String(">="))
            c.op = FilterExpression::Op::GreaterEqual;
        else
            m_lex.fail(QStringLiteral("unknown comparison '%1'").arg(op));
        advance();
        QVariant raw;
        if (m_tok.kind == Tok::Text) {
            raw = m_tok.text;
        } else if (m_tok.kind == Tok::Number) {
            bool ok = false;
            const qlonglong n = m_tok.text.toLongLong(&ok);
            if (ok) {
                raw = n;
            } else {
                const double d = m_tok.text.toDouble(&ok);
                if (!ok)
                    m_lex.fail(QStringLiteral("'%1' is not a number").arg(m_tok.text));
                raw = d;
            }
        } else if (m_tok.kind == Tok::Ident && (m_tok.text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 ||
                                                m_tok.text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)) {
            raw = m_tok.text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
        } else {
            m_lex.fail(QStringLiteral("expected a value for '%1' at position %2, found %3")
                           .arg(fieldName)
                           .arg(m_tok.pos + 1)
                           .arg(describe(m_tok)));
        }
        const std::optional<QVariant> value = toFieldValue(raw, c.type);
        if (!value)
            m_lex.fail(QStringLiteral("the value %1 does not fit field '%2'").arg(describe(m_tok), fieldName));
        c.value = *value;
        advance();
        m_out.push_back(c);
    }

    static constexpr int maxNesting = 100;

    Lexer m_lex;
    int m_depth = 0;
    const std::vector<FieldDef>& m_fields;
    std::vector<FilterExpression::Condition>& m_out;
    Token m_tok;
};

} // namespace

FilterExpression FilterExpression::parse(const QString& text, const std::vector<FieldDef>& fields)
{
    FilterExpression e;
    Parser(text, fields, e.m_conditions).parseAll();
    return e;
}

bool FilterExpression::holds(Op op, int order)
{
    switch (op) {
    case Op::Equal:
        return order == 0;
    case Op::NotEqual:
        return order != 0;
    case Op::Less:
        return order < 0;
    case Op::LessEqual:
        return order <= 0;
    case Op::Greater:
        return order > 0;
    case Op::GreaterEqual:
        return order >= 0;
    }
    return false;
}
