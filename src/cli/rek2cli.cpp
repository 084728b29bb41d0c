// rek2cli DATABASE USER PASSWORD COMMAND [ARGS]: the program without a window, for
// scheduled runs, scripts and setting up databases.
//
// Exit codes: 0 done, 1 the command failed (its message is on stderr), 2 wrong usage.

#include "app/Error.h"
#include "app/MessageService.h"
#include "app/RekContext.h"
#include "app/Startup.h"
#include "cli/DailyCommands.h"
#include "db/DemoData.h"
#include "db/LoadGenerator.h"
#include "db/Schema.h"
#include "db/Session.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>
#include <functional>
#include <optional>

using rek2::Error;
namespace db = rek2::db;

namespace {

QTextStream& err()
{
    static QTextStream s(stderr);
    return s;
}

// Wrong arguments of a command: reported with the usage, exit code 2.
struct UsageError {
    QString message;
};

// What a headless run shows instead of message boxes: every text goes to stderr and
// every question gets the first button, as a user confirming would.
class StderrMessages : public rek2::MessageService {
public:
    int opozorilo(const QString& text, const QString&, const QString&) override
    {
        err() << text << Qt::endl;
        return 1;
    }
    void napaka(const QString& text, const QString&) override { err() << text << Qt::endl; }
    void message(const QString& text) override { err() << text << Qt::endl; }
    void statusPanel(bool, const QString&) override {}
};

struct Invocation {
    QString database;
    QString user;
    QString password;
    QStringList args; // after the command name
    QTextStream& out;
};

// ---- argument helpers ---------------------------------------------------------------------

// Removes "--name VALUE" from args and returns VALUE.
std::optional<QString> takeOption(QStringList& args, const QString& name)
{
    const int i = args.indexOf(name);
    if (i < 0)
        return std::nullopt;
    if (i + 1 >= args.size())
        throw UsageError{QStringLiteral("Manjka vrednost za %1").arg(name)};
    const QString value = args.at(i + 1);
    args.remove(i, 2);
    return value;
}

bool takeFlag(QStringList& args, const QString& name)
{
    return args.removeAll(name) > 0;
}

qint64 parseNumber(const QString& text, const QString& what, qint64 min, qint64 max)
{
    bool ok = false;
    const qint64 v = text.toLongLong(&ok);
    if (!ok || v < min || v > max)
        throw UsageError{QStringLiteral("Neveljavno %1: %2").arg(what, text)};
    return v;
}

QDate parseDate(const QString& text)
{
    try {
        return rek2::DailyCommands::parseIsoDate(text);
    } catch (const Error& e) {
        throw UsageError{e.message()};
    }
}

void noMoreArguments(const QStringList& args)
{
    if (!args.isEmpty())
        throw UsageError{QStringLiteral("Odvečni argumenti: %1").arg(args.join(u' '))};
}

// ---- database helpers ---------------------------------------------------------------------

std::unique_ptr<db::Session> logon(const Invocation& inv, bool createMissing = false)
{
    auto s = std::make_unique<db::Session>();
    s->setLogonData(inv.database, inv.user, inv.password);
    s->logon(createMissing);
    return s;
}

bool tableExists(db::Session& s, const QString& name)
{
    const QStringList tables = s.database().tables();
    for (const QString& t : tables)
        if (t.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

struct SchemaResult {
    bool working = false; // created now
    bool host = false;
};

// Creates the working tables and sequences when they are missing and, with `host`, the
// host tables when they are missing; everything in one transaction.
SchemaResult ensureSchema(db::Session& s, bool host)
{
    SchemaResult r;
    QStringList statements;
    const QStringList working = db::Schema::createStatements(s, false);
    if (!tableExists(s, QStringLiteral("REK2_ZBIR"))) {
        statements << working;
        r.working = true;
    }
    if (host && !tableExists(s, QStringLiteral("DOG"))) {
        for (const QString& sql : db::Schema::createStatements(s, true))
            if (!working.contains(sql))
                statements << sql;
        r.host = true;
    }
    if (statements.isEmpty())
        return r;
    s.setTransaction();
    QSqlQuery q(s.database());
    for (const QString& sql : statements) {
        if (!q.exec(sql)) {
            const QString msg = q.lastError().databaseText().trimmed();
            s.rollback();
            throw Error(msg + u'\n' + sql);
        }
    }
    s.commit();
    return r;
}

// The program's start-up as the window runs it (settings file, logon with the alias
// fallback, settings rows), then `work` on the context.
void withStartup(Invocation& inv, const std::function<void(rek2::RekContext&)>& work)
{
    db::Session session;
    StderrMessages messages;
    rek2::RekContext ctx(session, messages);
    rek2::Startup startup(ctx, rek2::Startup::defaultProgramFolder());
    if (!startup.run(inv.database, inv.user, inv.password))
        throw Error(QStringLiteral("Prijava v bazo ni uspela: %1").arg(inv.database));
    work(ctx);
}

// FROM [TO]: the period's whole days; TO defaults to FROM.
std::pair<QDate, QDate> takePeriod(QStringList& args)
{
    if (args.isEmpty())
        throw UsageError{QStringLiteral("Manjka datum od")};
    const QDate from = parseDate(args.takeFirst());
    const QDate to = args.isEmpty() ? from : parseDate(args.takeFirst());
    return {from, to};
}

// ---- commands -----------------------------------------------------------------------------

void cmdInit(Invocation& inv)
{
    const bool host = takeFlag(inv.args, QStringLiteral("--host"));
    noMoreArguments(inv.args);
    auto s = logon(inv, true); // the one command that may create a SQLite file
    const SchemaResult r = ensureSchema(*s, host);
    if (r.working)
        inv.out << "Delovne tabele in sekvence so ustvarjene.\n";
    if (r.host)
        inv.out << "Tabele gostiteljskega sistema so ustvarjene.\n";
    if (!r.working && !r.host)
        inv.out << "Tabele že obstajajo; nič ni spremenjeno.\n";
}

void cmdDemo(Invocation& inv)
{
    const auto seed = takeOption(inv.args, QStringLiteral("--seed"));
    const auto date = takeOption(inv.args, QStringLiteral("--date"));
    noMoreArguments(inv.args);
    const db::DemoData demo(seed ? quint32(parseNumber(*seed, QStringLiteral("seme"), 0, 0xffffffffLL)) : 1u,
                            date ? parseDate(*date) : QDate());
    auto s = logon(inv);
    // Checked before anything is created: a database with rows is left as it was.
    if (!db::DemoData::isEmpty(*s))
        throw Error(QStringLiteral("Baza ni prazna: demo podatki se vpišejo le v prazno bazo."));
    ensureSchema(*s, true);
    const db::DemoData::Counts c = demo.fill(*s);
    inv.out << "Demo podatki do " << demo.lastDay().toString(QStringLiteral("dd.MM.yyyy")) << ": " << c.persons
            << " oseb, " << c.payouts << " izplačil, " << c.taxEvents << " davčnih odtegljajev (" << c.taxPaidLater
            << " plačanih kasneje).\n";

    // The settings the demo needs ('DO1' tax events), unless the program folder has its own.
    const QString folder = rek2::Startup::defaultProgramFolder();
    if (!QFileInfo::exists(QDir(folder).filePath(QStringLiteral("rek2.ini"))))
        inv.out << "Nastavitve: " << db::DemoData::writeSettingsFile(folder) << '\n';
}

void cmdLoadgen(Invocation& inv)
{
    const auto seed = takeOption(inv.args, QStringLiteral("--seed"));
    const auto date = takeOption(inv.args, QStringLiteral("--date"));
    if (inv.args.isEmpty())
        throw UsageError{QStringLiteral("Manjka število oseb")};
    const int persons = int(parseNumber(inv.args.takeFirst(), QStringLiteral("število oseb"), 0, 10000000));
    noMoreArguments(inv.args);
    const db::LoadGenerator gen(persons,
                                seed ? quint32(parseNumber(*seed, QStringLiteral("seme"), 0, 0xffffffffLL)) : 1u,
                                date ? parseDate(*date) : QDate());
    auto s = logon(inv);
    ensureSchema(*s, true);
    QElapsedTimer timer;
    timer.start();
    const db::LoadGenerator::Result r = gen.run(*s);
    inv.out << "Izplačila " << gen.date().toString(QStringLiteral("dd.MM.yyyy")) << ": " << r.payouts << " ("
            << r.taxPaidLater << " z davkom plačanim kasneje), IDDOG " << r.firstIdDog << '-' << r.lastIdDog
            << ", " << QString::number(timer.elapsed() / 1000.0, 'f', 1) << " s\n";
}

void cmdCollect(Invocation& inv)
{
    const auto [from, to] = takePeriod(inv.args);
    noMoreArguments(inv.args);
    withStartup(inv, [&](rek2::RekContext& ctx) { rek2::DailyCommands::collect(ctx, from, to, inv.out); });
}

void cmdShow(Invocation& inv)
{
    const auto [from, to] = takePeriod(inv.args);
    noMoreArguments(inv.args);
    withStartup(inv, [&](rek2::RekContext& ctx) { rek2::DailyCommands::show(ctx, from, to, inv.out); });
}

void cmdXml(Invocation& inv)
{
    if (inv.args.size() < 2)
        throw UsageError{QStringLiteral("Manjka obdobje OD DO")};
    const QDate from = parseDate(inv.args.takeFirst());
    const QDate to = parseDate(inv.args.takeFirst());
    QList<qint64> ids;
    for (const QString& a : inv.args)
        ids << parseNumber(a, QStringLiteral("ID zbirne"), 1, std::numeric_limits<qint64>::max());
    withStartup(inv, [&](rek2::RekContext& ctx) { rek2::DailyCommands::xml(ctx, from, to, ids, inv.out); });
}

struct Command {
    const char* name;
    const char* synopsis;
    void (*run)(Invocation&);
};

// A new command is one line here and one function above.
const Command kCommands[] = {
    {"init", "init [--host]            delovne tabele in sekvence (z --host tudi tabele gostitelja)", cmdInit},
    {"demo", "demo [--seed N] [--date YYYY-MM-DD]  demo podatki v prazno bazo", cmdDemo},
    {"loadgen", "loadgen N [--seed S] [--date YYYY-MM-DD]  N izplačil na en dan (merjenje)", cmdLoadgen},
    {"collect", "collect OD [DO]         \"Prenos iz DOG\" za obdobje; izpiše ID zbirnih", cmdCollect},
    {"show", "show OD [DO]            \"?\" za obdobje; izpiše ID zbirnih", cmdShow},
    {"xml", "xml OD DO [ID...]       XML datoteke zbirnih obdobja (ali le navedenih)", cmdXml},
};

void printUsage()
{
    err() << "Uporaba: rek2cli BAZA UPORABNIK GESLO UKAZ [ARGUMENTI]\n"
             "  BAZA: pot do datoteke SQLite ali postgresql://strežnik:vrata/baza\n"
             "Ukazi (datumi YYYY-MM-DD):\n";
    for (const Command& c : kCommands)
        err() << "  " << c.synopsis << '\n';
    err().flush();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    if (args.size() < 5) {
        printUsage();
        return 2;
    }
    QTextStream out(stdout);
    Invocation inv{args.at(1), args.at(2), args.at(3), args.mid(5), out};
    const QString name = args.at(4);
    const Command* command = nullptr;
    for (const Command& c : kCommands)
        if (name == QLatin1String(c.name))
            command = &c;
    if (!command) {
        err() << "Neznan ukaz: " << name << '\n';
        printUsage();
        return 2;
    }
    try {
        command->run(inv);
        out.flush();
        return 0;
    } catch (const UsageError& e) {
        out.flush();
        err() << e.message << "\nUporaba: rek2cli BAZA UPORABNIK GESLO " << command->synopsis << Qt::endl;
        return 2;
    } catch (const Error& e) {
        out.flush();
        err() << e.message() << Qt::endl;
        return 1;
    } catch (const std::exception& e) {
        out.flush();
        err() << e.what() << Qt::endl;
        return 1;
    }
}
