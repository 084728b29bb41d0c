#include "db/Dialect.h"

#include <QDateTime>
#include <QSet>

#include <vector>

namespace rek2::db {

namespace {

// Statements are tokenised into a tree: parenthesised groups become one node holding their
// contents, so every rewrite sees the expressions of one nesting level side by side.
// Whitespace and comments travel with the token that follows them, so the backend text keeps
// the layout of the Oracle text (the log shows the Oracle text, errors quote the backend one).
enum class Kind { Word, QuotedIdent, String, Number, Bind, Op, Group, Raw };

struct Node {
    Kind kind = Kind::Raw;
    QString pre;  // whitespace and comments before the token
    QString text; // token text; a bind's upper-case name; empty for a group
    std::vector<Node> children;
    QString closePre;
    bool closed = true;

    bool isWord(QLatin1StringView w) const { return kind == Kind::Word && text.compare(w, Qt::CaseInsensitive) == 0; }
    bool isOp(QLatin1StringView o) const { return kind == Kind::Op && text == o; }
};
using List = std::vector<Node>;

Node raw(const QString& text, const QString& pre = {})
{
    Node n;
    n.kind = Kind::Raw;
    n.text = text;
    n.pre = pre;
    return n;
}

Node word(const QString& text, const QString& pre = {})
{
    Node n = raw(text, pre);
    n.kind = Kind::Word;
    return n;
}

Node group(List children)
{
    Node n;
    n.kind = Kind::Group;
    n.children = std::move(children);
    return n;
}

bool isWordStart(QChar c) { return c.isLetter() || c == u'_'; }
bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'$' || c == u'#'; }

struct Parsed {
    List list;
    QString trailing;
};

Parsed tokenize(const QString& s)
{
    std::vector<List> lists(1);
    std::vector<Node> open;
    QString pending;
    const qsizetype n = s.size();
    qsizetype i = 0;
    auto push = [&](Kind kind, const QString& text) {
        Node nd;
        nd.kind = kind;
        nd.pre = pending;
        nd.text = text;
        pending.clear();
        lists.back().push_back(std::move(nd));
    };
    while (i < n) {
        const QChar c = s.at(i);
        const QChar next = i + 1 < n ? s.at(i + 1) : QChar();
        if (c.isSpace()) {
            pending += c;
            ++i;
        } else if (c == u'-' && next == u'-') {
            qsizetype j = s.indexOf(u'\n', i);
            j = j < 0 ? n : j;
            pending += s.mid(i, j - i);
            i = j;
        } else if (c == u'/' && next == u'*') {
            qsizetype j = s.indexOf(QLatin1String("*/"), i + 2);
            j = j < 0 ? n : j + 2;
            pending += s.mid(i, j - i);
            i = j;
        } else if (c == u'\'' || c == u'"') {
            qsizetype j = i + 1;
            while (j < n) {
                if (s.at(j) == c) {
                    if (j + 1 < n && s.at(j + 1) == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            const qsizetype end = j < n ? j + 1 : n;
            push(c == u'\'' ? Kind::String : Kind::QuotedIdent, s.mid(i, end - i));
            i = end;
        } else if (c == u':' && next == u':') {
            push(Kind::Op, QStringLiteral("::"));
            i += 2;
        } else if (c == u':' && isWordStart(next)) {
            qsizetype j = i + 1;
            while (j < n && isWordChar(s.at(j)))
                ++j;
            push(Kind::Bind, s.mid(i + 1, j - i - 1).toUpper());
            i = j;
        } else if (isWordStart(c)) {
            qsizetype j = i + 1;
            while (j < n && isWordChar(s.at(j)))
                ++j;
            push(Kind::Word, s.mid(i, j - i));
            i = j;
        } else if (c.isDigit() || (c == u'.' && next.isDigit())) {
            qsizetype j = i;
            while (j < n && s.at(j).isDigit())
                ++j;
            if (j < n && s.at(j) == u'.') {
                ++j;
                while (j < n && s.at(j).isDigit())
                    ++j;
            }
            if (j < n && (s.at(j) == u'e' || s.at(j) == u'E')) {
                qsizetype k = j + 1;
                if (k < n && (s.at(k) == u'+' || s.at(k) == u'-'))
                    ++k;
                if (k < n && s.at(k).isDigit()) {
                    j = k;
                    while (j < n && s.at(j).isDigit())
                        ++j;
                }
            }
            push(Kind::Number, s.mid(i, j - i));
            i = j;
        } else if (c == u'(') {
            Node g;
            g.kind = Kind::Group;
            g.pre = pending;
            pending.clear();
            open.push_back(std::move(g));
            lists.emplace_back();
            ++i;
        } else if (c == u')' && !open.empty()) {
            Node g = std::move(open.back());
            open.pop_back();
            g.children = std::move(lists.back());
            lists.pop_back();
            g.closePre = pending;
            pending.clear();
            lists.back().push_back(std::move(g));
            ++i;
        } else {
            static const char* const twoChar[] = {"||", "<=", ">=", "<>", "!=", "=>"};
            QString op(c);
            for (const char* t : twoChar)
                if (c == QLatin1Char(t[0]) && next == QLatin1Char(t[1]))
                    op = QString::fromLatin1(t);
            push(Kind::Op, op);
            i += op.size();
        }
    }
    // An unbalanced text goes to the backend as it is, so that its error names the fault.
    while (!open.empty()) {
        Node g = std::move(open.back());
        open.pop_back();
        g.children = std::move(lists.back());
        lists.pop_back();
        g.closePre = pending;
        pending.clear();
        g.closed = false;
        lists.back().push_back(std::move(g));
    }
    return {std::move(lists.front()), pending};
}

void serialize(const List& list, QString& out, QStringList& binds)
{
    for (const Node& nd : list) {
        out += nd.pre;
        switch (nd.kind) {
        case Kind::Bind:
            out += u'?';
            binds << nd.text;
            break;
        case Kind::Group:
            out += u'(';
            serialize(nd.children, out, binds);
            out += nd.closePre;
            if (nd.closed)
                out += u')';
            break;
        default:
            out += nd.text;
        }
    }
}

bool isKeyword(const Node& nd)
{
    static const QSet<QString> keywords = {
        QStringLiteral("SELECT"), QStringLiteral("FROM"), QStringLiteral("WHERE"), QStringLiteral("AND"),
        QStringLiteral("OR"), QStringLiteral("NOT"), QStringLiteral("IN"), QStringLiteral("EXISTS"),
        QStringLiteral("CASE"), QStringLiteral("WHEN"), QStringLiteral("THEN"), QStringLiteral("ELSE"),
        QStringLiteral("END"), QStringLiteral("AS"), QStringLiteral("ON"), QStringLiteral("JOIN"),
        QStringLiteral("LEFT"), QStringLiteral("RIGHT"), QStringLiteral("INNER"), QStringLiteral("OUTER"),
        QStringLiteral("FULL"), QStringLiteral("CROSS"), QStringLiteral("GROUP"), QStringLiteral("BY"),
        QStringLiteral("ORDER"), QStringLiteral("HAVING"), QStringLiteral("UNION"), QStringLiteral("ALL"),
        QStringLiteral("INTERSECT"), QStringLiteral("EXCEPT"), QStringLiteral("MINUS"), QStringLiteral("DISTINCT"),
        QStringLiteral("UNIQUE"), QStringLiteral("INSERT"), QStringLiteral("INTO"), QStringLiteral("VALUES"),
        QStringLiteral("UPDATE"), QStringLiteral("SET"), QStringLiteral("DELETE"), QStringLiteral("IS"),
        QStringLiteral("NULL"), QStringLiteral("LIKE"), QStringLiteral("BETWEEN"), QStringLiteral("ANY"),
        QStringLiteral("SOME"), QStringLiteral("ASC"), QStringLiteral("DESC"), QStringLiteral("NULLS"),
        QStringLiteral("FOR"), QStringLiteral("WITH"), QStringLiteral("OVER"), QStringLiteral("PARTITION"),
        QStringLiteral("LIMIT"), QStringLiteral("OFFSET"), QStringLiteral("ESCAPE"), QStringLiteral("PRIOR"),
        QStringLiteral("USING"), QStringLiteral("RETURNING")};
    return nd.kind == Kind::Word && keywords.contains(nd.text.toUpper());
}

bool isIdentifier(const Node& nd)
{
    return (nd.kind == Kind::Word && !isKeyword(nd)) || nd.kind == Kind::QuotedIdent;
}

// A name that may stand as an operand: an identifier or NULL.
bool isOperandName(const Node& nd)
{
    return isIdentifier(nd) || nd.isWord(QLatin1StringView("NULL"));
}

bool startsQuery(const List& l)
{
    return !l.empty() && (l.front().isWord(QLatin1StringView("SELECT")) || l.front().isWord(QLatin1StringView("WITH")));
}

// What a list of tokens is: a query, an expression in parentheses or a function's arguments,
// a table expression in FROM, or an IN list.
enum class Level { Query, Expr, FuncArgs, Table, InList };
enum class Clause { None, Select, From, On, Where, Group, Having, Order, Set, Values, Into };

Clause nextClause(Clause c, const Node& nd)
{
    if (nd.kind != Kind::Word)
        return c;
    const QString w = nd.text.toUpper();
    if (w == QLatin1String("SELECT"))
        return Clause::Select;
    if (w == QLatin1String("FROM") || w == QLatin1String("JOIN"))
        return Clause::From;
    if (w == QLatin1String("ON") || w == QLatin1String("USING"))
        return Clause::On;
    if (w == QLatin1String("WHERE"))
        return Clause::Where;
    if (w == QLatin1String("GROUP"))
        return Clause::Group;
    if (w == QLatin1String("HAVING"))
        return Clause::Having;
    if (w == QLatin1String("ORDER"))
        return Clause::Order;
    if (w == QLatin1String("SET"))
        return Clause::Set;
    if (w == QLatin1String("VALUES"))
        return Clause::Values;
    if (w == QLatin1String("INTO") || w == QLatin1String("UPDATE"))
        return Clause::Into;
    if (w == QLatin1String("UNION") || w == QLatin1String("INTERSECT") || w == QLatin1String("EXCEPT")
        || w == QLatin1String("MINUS"))
        return Clause::None;
    return c;
}

// Index just past the end of the expression starting at `from`: the first top-level comma or
// one of the given words.
qsizetype itemEnd(const List& l, qsizetype from, std::initializer_list<QLatin1StringView> stopWords)
{
    for (qsizetype i = from; i < qsizetype(l.size()); ++i) {
        if (l[i].isOp(QLatin1StringView(",")))
            return i;
        for (QLatin1StringView w : stopWords)
            if (l[i].isWord(w))
                return i;
    }
    return l.size();
}

class Translator {
public:
    explicit Translator(const Dialect& dialect)
        : m_dialect(dialect)
        , m_sqlite(dialect.backend() == Backend::Sqlite)
    {
    }

    void process(List& l, Level level)
    {
        descend(l, level);
        rewriteTokens(l, level);
        rewriteConcat(l);
        if (level == Level::Query)
            rewriteQueryClauses(l);
        if (m_sqlite)
            rewriteOrderBy(l);
    }

private:
    const Dialect& m_dialect;
    bool m_sqlite;

    // Recurses into the groups of this level, telling each what it is.
    void descend(List& l, Level level)
    {
        Clause clause = Clause::None;
        for (qsizetype i = 0; i < qsizetype(l.size()); ++i) {
            Node& nd = l[i];
            if (nd.kind != Kind::Group) {
                clause = nextClause(clause, nd);
                continue;
            }
            const Node* prev = i > 0 ? &l[i - 1] : nullptr;
            if (startsQuery(nd.children)) {
                const bool scalar = isScalarContext(prev, level, clause);
                process(nd.children, Level::Query);
                if (scalar && m_sqlite)
                    requireSingleRow(nd.children);
                continue;
            }
            Level inner = Level::Expr;
            if (prev && prev->isWord(QLatin1StringView("IN")))
                inner = Level::InList;
            else if (prev && isIdentifier(*prev))
                inner = Level::FuncArgs;
            else if (isTableContext(prev, level, clause))
                inner = Level::Table;
            process(nd.children, inner);
        }
    }

    static bool isTableContext(const Node* prev, Level level, Clause clause)
    {
        if (!prev)
            return level == Level::Table;
        if (prev->isWord(QLatin1StringView("FROM")) || prev->isWord(QLatin1StringView("JOIN")))
            return true;
        return prev->isOp(QLatin1StringView(",")) && (clause == Clause::From || clause == Clause::On);
    }

    // A subquery in parentheses stands for one value unless it feeds IN, EXISTS, ANY/ALL, a FROM
    // or JOIN, a set operation or an INSERT.
    static bool isScalarContext(const Node* prev, Level level, Clause clause)
    {
        if (!prev)
            return level == Level::Expr || level == Level::FuncArgs;
        switch (prev->kind) {
        case Kind::Word: {
            static const char* const tableWords[] = {"IN", "EXISTS", "FROM", "JOIN", "ANY", "ALL", "SOME",
                                                     "UNION", "INTERSECT", "EXCEPT", "MINUS", "AS", "INTO"};
            for (const char* w : tableWords)
                if (prev->isWord(QLatin1StringView(w)))
                    return false;
            return isKeyword(*prev); // after a table name: INSERT INTO t (SELECT ...)
        }
        case Kind::Op:
            if (prev->isOp(QLatin1StringView(",")))
                return clause != Clause::From && clause != Clause::On && level != Level::Table
                    && level != Level::InList;
            return !prev->isOp(QLatin1StringView("."));
        default:
            return false;
        }
    }

    QString plainRowId(const QString& alias) const
    {
        const QString prefix = alias.isEmpty() ? QString() : alias + u'.';
        return m_sqlite ? prefix + QStringLiteral("rowid") : prefix + QStringLiteral("ctid::text");
    }

    void rewriteTokens(List& l, Level level)
    {
        Clause clause = Clause::None;
        for (qsizetype i = 0; i < qsizetype(l.size()); ++i) {
            Node& nd = l[i];
            const Node* prev = i > 0 ? &l[i - 1] : nullptr;
            const Node* next = i + 1 < qsizetype(l.size()) ? &l[i + 1] : nullptr;
            const bool qualified = prev && prev->isOp(QLatin1StringView("."));
            const bool call = next && next->kind == Kind::Group;
            const bool dotted = next && next->isOp(QLatin1StringView(".")) && i + 2 < qsizetype(l.size())
                && l[i + 2].kind == Kind::Word;
            const bool selectList = level == Level::Query && clause == Clause::Select;
            clause = nextClause(clause, nd);

            if (nd.kind == Kind::String && nd.text == QLatin1String("''")) {
                // Oracle has no empty text: '' is NULL.
                nd = raw(QStringLiteral("NULL"), nd.pre);
                continue;
            }
            if (nd.kind != Kind::Word || qualified)
                continue;
            const QString w = nd.text.toUpper();
            if (dotted && isIdentifier(nd)) {
                const QString member = l[i + 2].text.toUpper();
                if (member == QLatin1String("NEXTVAL")) {
                    const QString seq = nd.text.toUpper();
                    const QString expr = m_sqlite ? QStringLiteral("rek2_nextval('%1')").arg(seq)
                                                  : QStringLiteral("nextval('%1')").arg(seq.toLower());
                    replace(l, i, 3, raw(expr, nd.pre));
                } else if (member == QLatin1String("ROWID")) {
                    const bool aliased = i + 3 < qsizetype(l.size()) && l[i + 3].isWord(QLatin1StringView("AS"));
                    const QString expr = selectList && !aliased ? m_dialect.rowIdSelect(nd.text) : plainRowId(nd.text);
                    replace(l, i, 3, raw(expr, nd.pre));
                }
                continue;
            }
            if (dotted)
                continue;
            if ((w == QLatin1String("CURRENT_DATE") || w == QLatin1String("SYSDATE")) && !call) {
                nd = raw(m_sqlite ? QStringLiteral("datetime('now', 'localtime')") : QStringLiteral("LOCALTIMESTAMP(0)"),
                         nd.pre);
            } else if (w == QLatin1String("ROWID") && selectList && !call
                       && (!next || next->isOp(QLatin1StringView(",")) || next->isWord(QLatin1StringView("FROM")))) {
                nd = raw(m_dialect.rowIdSelect(QString()), nd.pre);
            } else if (w == QLatin1String("NVL") && call) {
                nd.text = QStringLiteral("COALESCE");
            } else if (w == QLatin1String("MINUS") && level == Level::Query) {
                nd.text = QStringLiteral("EXCEPT");
            } else if (w == QLatin1String("ROUND") && call && !m_sqlite) {
                // Decimal rounding of whatever the argument is (NUMERIC columns, double expressions).
                List& args = l[i + 1].children;
                const qsizetype end = itemEnd(args, 0, {});
                if (end > 0) {
                    List first(std::make_move_iterator(args.begin()), std::make_move_iterator(args.begin() + end));
                    const QString pre = first.front().pre;
                    first.front().pre.clear();
                    first.push_back(raw(QStringLiteral(" AS numeric")));
                    args.erase(args.begin(), args.begin() + end);
                    args.insert(args.begin(), {word(QStringLiteral("CAST"), pre), group(std::move(first))});
                }
            } else if (call
                       && (w == QLatin1String("RTRIM") || w == QLatin1String("LTRIM") || w == QLatin1String("TRIM")
                           || w == QLatin1String("SUBSTR") || w == QLatin1String("REPLACE"))) {
                // Text functions that can yield '' where Oracle yields NULL.
                Node fn = std::move(l[i]);
                Node args = std::move(l[i + 1]);
                const QString pre = fn.pre;
                fn.pre.clear();
                List inner;
                inner.push_back(std::move(fn));
                inner.push_back(std::move(args));
                inner.push_back(raw(QStringLiteral(", ''")));
                replace(l, i, 2, word(QStringLiteral("NULLIF"), pre));
                l.insert(l.begin() + i + 1, group(std::move(inner)));
                ++i;
            }
        }
    }

    static void replace(List& l, qsizetype at, qsizetype count, Node with)
    {
        l.erase(l.begin() + at + 1, l.begin() + at + count);
        l[at] = std::move(with);
    }

    // First index of the operand that ends at `j`, or -1.
    static qsizetype operandStart(const List& l, qsizetype j)
    {
        if (j < 0)
            return -1;
        const Node& nd = l[j];
        auto extendBack = [&](qsizetype s) {
            while (s >= 2 && l[s - 1].isOp(QLatin1StringView(".")) && isIdentifier(l[s - 2]))
                s -= 2;
            return s;
        };
        switch (nd.kind) {
        case Kind::Group:
            if (j >= 1 && isIdentifier(l[j - 1]))
                return extendBack(j - 1);
            return j;
        case Kind::String:
        case Kind::Number:
        case Kind::Bind:
        case Kind::Raw:
            return j;
        case Kind::QuotedIdent:
        case Kind::Word:
            if (nd.isWord(QLatin1StringView("END"))) {
                int depth = 1;
                for (qsizetype m = j - 1; m >= 0; --m) {
                    if (l[m].isWord(QLatin1StringView("END")))
                        ++depth;
                    else if (l[m].isWord(QLatin1StringView("CASE")) && --depth == 0)
                        return m;
                }
                return -1;
            }
            return isOperandName(nd) ? extendBack(j) : -1;
        default:
            return -1;
        }
    }

    // Last index of the operand that starts at `j`, or -1.
    static qsizetype operandEnd(const List& l, qsizetype j)
    {
        const qsizetype n = l.size();
        if (j >= n)
            return -1;
        const Node& nd = l[j];
        switch (nd.kind) {
        case Kind::Group:
        case Kind::String:
        case Kind::Number:
        case Kind::Bind:
        case Kind::Raw:
            return j;
        case Kind::QuotedIdent:
        case Kind::Word: {
            if (nd.isWord(QLatin1StringView("CASE"))) {
                int depth = 1;
                for (qsizetype m = j + 1; m < n; ++m) {
                    if (l[m].isWord(QLatin1StringView("CASE")))
                        ++depth;
                    else if (l[m].isWord(QLatin1StringView("END")) && --depth == 0)
                        return m;
                }
                return -1;
            }
            if (!isOperandName(nd))
                return -1;
            qsizetype e = j;
            while (e + 2 < n && l[e + 1].isOp(QLatin1StringView(".")) && isIdentifier(l[e + 2]))
                e += 2;
            if (e + 1 < n && l[e + 1].kind == Kind::Group && isIdentifier(l[e]))
                ++e;
            return e;
        }
        default:
            return -1;
        }
    }

    // a || b || c: Oracle skips NULL operands and calls an empty result NULL.
    void rewriteConcat(List& l)
    {
        for (qsizetype i = 0; i < qsizetype(l.size()); ++i) {
            if (!l[i].isOp(QLatin1StringView("||")))
                continue;
            const qsizetype start = operandStart(l, i - 1);
            if (start < 0)
                continue;
            std::vector<std::pair<qsizetype, qsizetype>> operands{{start, i - 1}};
            qsizetype k = i;
            while (k < qsizetype(l.size()) && l[k].isOp(QLatin1StringView("||"))) {
                const qsizetype end = operandEnd(l, k + 1);
                if (end < 0)
                    break;
                operands.emplace_back(k + 1, end);
                k = end + 1;
            }
            if (operands.size() < 2)
                continue;
            const QString pre = l[start].pre;
            List args;
            for (std::size_t o = 0; o < operands.size(); ++o) {
                if (o > 0)
                    args.push_back(raw(QStringLiteral(",")));
                for (qsizetype m = operands[o].first; m <= operands[o].second; ++m) {
                    Node part = std::move(l[m]);
                    if (m == operands[o].first)
                        part.pre = o > 0 ? QStringLiteral(" ") : QString();
                    args.push_back(std::move(part));
                }
            }
            const qsizetype last = operands.back().second;
            l.erase(l.begin() + start + 1, l.begin() + last + 1);
            if (m_sqlite) {
                l[start] = word(QStringLiteral("rek2_concat"), pre);
                l.insert(l.begin() + start + 1, group(std::move(args)));
            } else {
                List inner;
                inner.push_back(word(QStringLiteral("CONCAT")));
                inner.push_back(group(std::move(args)));
                inner.push_back(raw(QStringLiteral(", ''")));
                l[start] = word(QStringLiteral("NULLIF"), pre);
                l.insert(l.begin() + start + 1, group(std::move(inner)));
            }
            i = start + 1;
        }
    }

    // UPDATE t X / DELETE [FROM] t X: SQLite wants AS before the alias, and FROM after DELETE
    // is optional only in Oracle.
    void rewriteTargetAlias(List& l)
    {
        qsizetype table = -1;
        if (l.size() >= 2 && l[0].isWord(QLatin1StringView("UPDATE"))) {
            table = 1;
        } else if (l.size() >= 2 && l[0].isWord(QLatin1StringView("DELETE"))) {
            if (!l[1].isWord(QLatin1StringView("FROM")))
                l.insert(l.begin() + 1, word(QStringLiteral("FROM"), QStringLiteral(" ")));
            table = 2;
        }
        if (table < 0 || table >= qsizetype(l.size()) || !isIdentifier(l[table]))
            return;
        qsizetype last = table;
        while (last + 2 < qsizetype(l.size()) && l[last + 1].isOp(QLatin1StringView(".")) && isIdentifier(l[last + 2]))
            last += 2;
        if (m_sqlite && last + 1 < qsizetype(l.size()) && isIdentifier(l[last + 1]))
            l.insert(l.begin() + last + 1, word(QStringLiteral("AS"), QStringLiteral(" ")));
    }

    // FROM dual goes (both backends select without FROM); FOR UPDATE means nothing to SQLite.
    void rewriteQueryClauses(List& l)
    {
        rewriteTargetAlias(l);
        for (qsizetype i = 0; i + 1 < qsizetype(l.size()); ++i) {
            if (l[i].isWord(QLatin1StringView("FROM")) && l[i + 1].isWord(QLatin1StringView("DUAL"))
                && !(i + 2 < qsizetype(l.size()) && l[i + 2].isOp(QLatin1StringView(".")))) {
                qsizetype count = 2;
                if (i + 2 < qsizetype(l.size()) && isIdentifier(l[i + 2]) && l[i + 2].kind == Kind::Word)
                    ++count; // an alias of dual
                l.erase(l.begin() + i, l.begin() + i + count);
                --i;
            } else if (m_sqlite && l[i].isWord(QLatin1StringView("FOR")) && l[i + 1].isWord(QLatin1StringView("UPDATE"))) {
                l.erase(l.begin() + i, l.end());
                break;
            }
        }
    }

    // Oracle sorts NULL as the greatest value: last ascending, first descending.
    static void rewriteOrderBy(List& l)
    {
        for (qsizetype i = 0; i + 1 < qsizetype(l.size()); ++i) {
            if (!l[i].isWord(QLatin1StringView("ORDER")) || !l[i + 1].isWord(QLatin1StringView("BY")))
                continue;
            std::vector<std::pair<qsizetype, qsizetype>> items;
            qsizetype from = i + 2;
            while (from < qsizetype(l.size())) {
                const qsizetype end = itemEnd(l, from,
                                              {QLatin1StringView("LIMIT"), QLatin1StringView("OFFSET"),
                                               QLatin1StringView("FETCH"), QLatin1StringView("FOR"),
                                               QLatin1StringView("ROWS"), QLatin1StringView("RANGE")});
                if (end > from)
                    items.emplace_back(from, end);
                if (end >= qsizetype(l.size()) || !l[end].isOp(QLatin1StringView(",")))
                    break;
                from = end + 1;
            }
            for (auto it = items.rbegin(); it != items.rend(); ++it) {
                bool hasNulls = false;
                for (qsizetype m = it->first; m < it->second; ++m)
                    hasNulls = hasNulls || l[m].isWord(QLatin1StringView("NULLS"));
                if (hasNulls)
                    continue;
                const bool desc = l[it->second - 1].isWord(QLatin1StringView("DESC"));
                l.insert(l.begin() + it->second, raw(desc ? QStringLiteral(" NULLS FIRST") : QStringLiteral(" NULLS LAST")));
            }
        }
    }

    static bool endsOperand(const Node& nd)
    {
        switch (nd.kind) {
        case Kind::Group:
        case Kind::String:
        case Kind::Number:
        case Kind::Bind:
        case Kind::Raw:
        case Kind::QuotedIdent:
            return true;
        case Kind::Word:
            return isOperandName(nd) || nd.isWord(QLatin1StringView("END"));
        default:
            return false;
        }
    }

    // SQLite takes the first row of a scalar subquery; Oracle fails when there are more.
    // The first column is wrapped so that it sees the row count: rek2_single_row raises
    // ORA-01427 when it is above one. A DISTINCT or compound query is counted as a whole.
    static void requireSingleRow(List& q)
    {
        bool whole = q.front().isWord(QLatin1StringView("WITH")) || q.size() < 2
            || q[1].isWord(QLatin1StringView("DISTINCT")) || q[1].isWord(QLatin1StringView("UNIQUE"))
            || q[1].isOp(QLatin1StringView("*"));
        for (const Node& nd : q)
            whole = whole || nd.isWord(QLatin1StringView("UNION")) || nd.isWord(QLatin1StringView("INTERSECT"))
                || nd.isWord(QLatin1StringView("EXCEPT"));
        if (whole) {
            const QString pre = q.front().pre;
            q.front().pre.clear();
            q.insert(q.begin(), raw(QStringLiteral("WITH rek2_sq(rek2_v) AS ("), pre));
            q.push_back(raw(QStringLiteral(") SELECT rek2_single_row(rek2_v, COUNT(*) OVER ()) FROM rek2_sq LIMIT 1")));
            return;
        }
        const qsizetype end = itemEnd(q, 1, {QLatin1StringView("FROM")});
        // An aggregate without GROUP BY yields one row whatever it reads.
        bool grouped = false;
        for (const Node& nd : q)
            grouped = grouped || nd.isWord(QLatin1StringView("GROUP")) || nd.isWord(QLatin1StringView("LIMIT"))
                || nd.isWord(QLatin1StringView("ROWNUM"));
        if (!grouped && hasAggregate(q, 1, end))
            return;
        qsizetype exprEnd = end;
        if (end - 1 >= 2 && q[end - 2].isWord(QLatin1StringView("AS"))) {
            exprEnd = end - 2;
        } else if (end - 1 >= 2 && isIdentifier(q[end - 1]) && endsOperand(q[end - 2])) {
            exprEnd = end - 1; // a bare alias
        }
        if (exprEnd <= 1)
            return;
        List expr(std::make_move_iterator(q.begin() + 1), std::make_move_iterator(q.begin() + exprEnd));
        const QString pre = expr.front().pre;
        expr.front().pre.clear();
        if (grouped) {
            expr.push_back(raw(QStringLiteral(", COUNT(*) OVER ()")));
            q.erase(q.begin() + 2, q.begin() + exprEnd);
            q[1] = word(QStringLiteral("rek2_single_row"), pre);
            q.insert(q.begin() + 2, group(std::move(expr)));
            q.push_back(raw(QStringLiteral(" LIMIT 1")));
            return;
        }
        // Counted by an aggregate rather than a window: no row buffer per evaluation, which
        // matters for a subquery evaluated once per row of a large list. MIN of one row is
        // that row's value; no rows give NULL as the subquery would.
        List wrapped;
        wrapped.push_back(word(QStringLiteral("MIN")));
        wrapped.push_back(group(std::move(expr)));
        wrapped.push_back(raw(QStringLiteral(", COUNT(*)")));
        q.erase(q.begin() + 2, q.begin() + exprEnd);
        q[1] = word(QStringLiteral("rek2_single_row"), pre);
        q.insert(q.begin() + 2, group(std::move(wrapped)));
    }

    // Whether q[from, to) calls an aggregate function (not as a window) at its own level.
    static bool hasAggregate(const List& q, qsizetype from, qsizetype to)
    {
        static const QLatin1StringView kAggregates[] = {QLatin1StringView("MAX"), QLatin1StringView("MIN"),
                                                        QLatin1StringView("COUNT"), QLatin1StringView("SUM"),
                                                        QLatin1StringView("AVG")};
        for (qsizetype i = from; i + 1 < to; ++i) {
            if (q[i + 1].kind != Kind::Group)
                continue;
            const bool window = i + 2 < qsizetype(q.size()) && q[i + 2].isWord(QLatin1StringView("OVER"));
            for (QLatin1StringView a : kAggregates)
                if (q[i].isWord(a) && !window)
                    return true;
        }
        return false;
    }
};

} // namespace

const TranslatedSql& Dialect::translate(const QString& oracleSql) const
{
    auto it = m_cache.find(oracleSql);
    if (it != m_cache.end())
        return it->second;
    return m_cache.emplace(oracleSql, translateUncached(oracleSql)).first->second;
}

TranslatedSql Dialect::translateUncached(const QString& oracleSql) const
{
    Parsed parsed = tokenize(oracleSql);
    Translator(*this).process(parsed.list, Level::Query);
    TranslatedSql out;
    serialize(parsed.list, out.sql, out.bindNames);
    out.sql += parsed.trailing;
    return out;
}

QVariant Dialect::bindValue(const QVariant& value) const
{
    if (!value.isValid() || value.isNull())
        return QVariant(QMetaType::fromType<QString>());
    switch (value.typeId()) {
    case QMetaType::QString:
        if (value.toString().isEmpty())
            return QVariant(QMetaType::fromType<QString>());
        return value;
    case QMetaType::QDate: {
        QDateTime dt(value.toDate(), QTime(0, 0));
        return m_backend == Backend::Sqlite ? QVariant(sqliteDateText(dt)) : QVariant(dt);
    }
    case QMetaType::QDateTime: {
        QDateTime dt = value.toDateTime();
        dt.setTime(QTime(dt.time().hour(), dt.time().minute(), dt.time().second()));
        return m_backend == Backend::Sqlite ? QVariant(sqliteDateText(dt)) : QVariant(dt);
    }
    default:
        return value;
    }
}

QString Dialect::rowIdSelect(const QString& alias) const
{
    const QString prefix = alias.isEmpty() ? QString() : alias + u'.';
    return m_backend == Backend::Sqlite ? prefix + QStringLiteral("rowid AS \"ROWID\"")
                                        : prefix + QStringLiteral("ctid::text AS \"ROWID\"");
}

QString Dialect::rowIdCondition() const
{
    return m_backend == Backend::Sqlite ? QStringLiteral("rowid = ?") : QStringLiteral("ctid = CAST(? AS tid)");
}

QString Dialect::sqliteDateText(const QDateTime& dt)
{
    return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

namespace {

int digits(const QString& s, int from, int count)
{
    int n = 0;
    for (int i = from; i < from + count; ++i) {
        const char16_t c = s.at(i).unicode();
        if (c < u'0' || c > u'9')
            return -1;
        n = n * 10 + (c - u'0');
    }
    return n;
}

// "yyyy-MM-dd HH:mm:ss" as SQLite stores a date; an invalid QDateTime for anything else.
QDateTime parseSqliteDate(const QString& s)
{
    if (s.size() != 19 || s.at(4) != u'-' || s.at(7) != u'-' || s.at(10) != u' ' || s.at(13) != u':'
        || s.at(16) != u':')
        return {};
    const QDate d(digits(s, 0, 4), digits(s, 5, 2), digits(s, 8, 2));
    const QTime t(digits(s, 11, 2), digits(s, 14, 2), digits(s, 17, 2));
    if (!d.isValid() || !t.isValid())
        return {};
    return QDateTime(d, t);
}

// A result holds few distinct dates (a payout day, a tax day) in every row; building a
// local QDateTime costs microseconds, so the last few are kept per thread.
class RecentDates {
public:
    template <typename Key, typename Make>
    QDateTime get(std::vector<std::pair<Key, QDateTime>>& recent, const Key& key, Make make)
    {
        for (const auto& [k, dt] : recent)
            if (k == key)
                return dt;
        QDateTime dt = make();
        if (recent.size() >= 4)
            recent.erase(recent.begin());
        recent.emplace_back(key, dt);
        return dt;
    }
    std::vector<std::pair<QString, QDateTime>> texts;
    std::vector<std::pair<QDate, QDateTime>> dates;
};

RecentDates& recentDates()
{
    thread_local RecentDates cache;
    return cache;
}

} // namespace

QVariant Dialect::normalizeFetched(const QVariant& v)
{
    if (v.typeId() == QMetaType::QString) {
        const QString s = v.toString();
        if (s.size() == 19 && s.at(4) == u'-' && s.at(0).isDigit()) {
            RecentDates& c = recentDates();
            const QDateTime dt = c.get(c.texts, s, [&] { return parseSqliteDate(s); });
            if (dt.isValid())
                return dt;
        }
    } else if (v.typeId() == QMetaType::QDate) {
        RecentDates& c = recentDates();
        const QDate d = v.toDate();
        return c.get(c.dates, d, [&] { return QDateTime(d, QTime(0, 0)); });
    }
    return v;
}

} // namespace rek2::db
