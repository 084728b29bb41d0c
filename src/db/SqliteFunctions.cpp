#include "db/Session.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sqlite3.h>
#include <string>

namespace rek2::db {

namespace {

// Oracle's NUMBER is decimal: a value is rounded or cut on its decimal digits, not on the binary
// double next to it (ROUND(2.675, 2) is 2.68 although the double 2.675 lies below it). The decimal
// form taken is the shortest one of 15 significant digits, which is also what PostgreSQL uses when
// a double becomes numeric.
double decimalAdjust(double x, int places, bool roundHalfAway)
{
    if (!std::isfinite(x) || x == 0.0)
        return x;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(x)); // d.dddddddddddddde±XX
    std::string digits(1, buf[0]);
    digits.append(buf + 2, 14);
    const int exp = std::atoi(std::strchr(buf, 'e') + 1);
    // digits[i] has the place value 10^(exp - i); keep those of at least 10^-places.
    const long keep = long(exp) + places + 1;
    if (keep >= long(digits.size()))
        return std::copysign(std::strtod(buf, nullptr), x);
    if (keep < 0)
        return 0.0;
    std::string mant = digits.substr(0, std::size_t(keep));
    int e10 = exp + 1; // value = 0.mant * 10^e10
    if (roundHalfAway && digits[std::size_t(keep)] >= '5') {
        long k = long(mant.size()) - 1;
        while (k >= 0 && mant[std::size_t(k)] == '9')
            mant[std::size_t(k--)] = '0';
        if (k >= 0) {
            ++mant[std::size_t(k)];
        } else {
            mant.insert(mant.begin(), '1');
            ++e10;
        }
    }
    if (mant.empty())
        return 0.0;
    const std::string text = "0." + mant + "e" + std::to_string(e10);
    return std::copysign(std::strtod(text.c_str(), nullptr), x);
}

// Decimal places of the optional second argument; false when it is NULL (the result is NULL).
bool placesArg(int argc, sqlite3_value** argv, int& places)
{
    places = 0;
    if (argc < 2)
        return true;
    if (sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return false;
    places = sqlite3_value_int(argv[1]);
    return true;
}

void roundFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    int places = 0;
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || !placesArg(argc, argv, places)) {
        sqlite3_result_null(ctx);
        return;
    }
    sqlite3_result_double(ctx, decimalAdjust(sqlite3_value_double(argv[0]), places, true));
}

bool isDateText(const unsigned char* t, int len)
{
    if (len < 10)
        return false;
    for (int i = 0; i < 10; ++i) {
        const bool dash = i == 4 || i == 7;
        if (dash ? t[i] != '-' : (t[i] < '0' || t[i] > '9'))
            return false;
    }
    return true;
}

// TRUNC of a number cuts decimals; TRUNC of a date (stored as 'YYYY-MM-DD HH:MM:SS') cuts the time.
void truncFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    if (sqlite3_value_type(argv[0]) == SQLITE_TEXT) {
        const unsigned char* t = sqlite3_value_text(argv[0]);
        const int len = sqlite3_value_bytes(argv[0]);
        if (isDateText(t, len)) {
            std::string day(reinterpret_cast<const char*>(t), 10);
            day += " 00:00:00";
            sqlite3_result_text(ctx, day.c_str(), int(day.size()), SQLITE_TRANSIENT);
            return;
        }
    }
    int places = 0;
    if (!placesArg(argc, argv, places)) {
        sqlite3_result_null(ctx);
        return;
    }
    sqlite3_result_double(ctx, decimalAdjust(sqlite3_value_double(argv[0]), places, false));
}

// a || b || c as Oracle does it: NULL operands count as empty text, an empty result is NULL.
// Numbers are written as Oracle writes them: no ".0" on whole values.
void concatFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    std::string out;
    for (int i = 0; i < argc; ++i) {
        switch (sqlite3_value_type(argv[i])) {
        case SQLITE_NULL:
            break;
        case SQLITE_FLOAT: {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.15g", sqlite3_value_double(argv[i]));
            out += buf;
            break;
        }
        default: {
            const unsigned char* t = sqlite3_value_text(argv[i]);
            if (t)
                out.append(reinterpret_cast<const char*>(t), std::size_t(sqlite3_value_bytes(argv[i])));
        }
        }
    }
    if (out.empty())
        sqlite3_result_null(ctx);
    else
        sqlite3_result_text(ctx, out.c_str(), int(out.size()), SQLITE_TRANSIENT);
}

// rek2_single_row(value, rows): the value of a scalar subquery that must have at most one row.
void singleRowFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_int64(argv[1]) > 1) {
        sqlite3_result_error(ctx, "ORA-01427: single-row subquery returns more than one row", -1);
        return;
    }
    sqlite3_result_value(ctx, argv[0]);
}

// Takes `count` values of a sequence kept as a row of SEQUENCES; returns the last, 0 on error
// (the error set on ctx).
sqlite3_int64 reserveValues(sqlite3_context* ctx, sqlite3_value* name, sqlite3_int64 count)
{
    sqlite3* db = sqlite3_context_db_handle(ctx);
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, "UPDATE SEQUENCES SET VALUE = VALUE + ?2 WHERE NAME = upper(?1) RETURNING VALUE", -1,
                           &st, nullptr)
        != SQLITE_OK) {
        sqlite3_result_error(ctx, sqlite3_errmsg(db), -1);
        return 0;
    }
    sqlite3_bind_value(st, 1, name);
    sqlite3_bind_int64(st, 2, count);
    sqlite3_int64 last = 0;
    int rc = sqlite3_step(st);
    if (rc == SQLITE_ROW) {
        last = sqlite3_column_int64(st, 0);
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE) {
            sqlite3_result_error(ctx, sqlite3_errmsg(db), -1);
            last = 0;
        }
    } else if (rc == SQLITE_DONE) {
        const unsigned char* text = sqlite3_value_text(name);
        const std::string msg = std::string("ORA-02289: sequence does not exist: ")
            + (text ? reinterpret_cast<const char*>(text) : "NULL");
        sqlite3_result_error(ctx, msg.c_str(), -1);
    } else {
        sqlite3_result_error(ctx, sqlite3_errmsg(db), -1);
    }
    sqlite3_finalize(st);
    return last;
}

// Values a running statement has taken from a sequence and not used yet. Each reservation is
// an UPDATE nested in the statement, which costs tens of microseconds (a statement journal is
// opened for it), so a statement inserting many rows reserves blocks of growing size. The
// block lives as long as the statement (SQLite's auxiliary data of the constant name), and
// its UPDATE is part of the statement: rolling the statement back returns both.
struct SequenceBlock {
    sqlite3_int64 next = 0;
    sqlite3_int64 last = 0;
    sqlite3_int64 taken = 0;
};

// A statement's first values are taken one by one, so that small inserts leave no gaps.
sqlite3_int64 blockSize(sqlite3_int64 taken)
{
    constexpr sqlite3_int64 kSingles = 64;
    constexpr sqlite3_int64 kLargest = 1024;
    return taken < kSingles ? 1 : std::min(taken, kLargest);
}

// rek2_nextval('NAME'): the next value of a sequence kept as a row of SEQUENCES.
void nextvalFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    auto* block = static_cast<SequenceBlock*>(sqlite3_get_auxdata(ctx, 0));
    if (block && block->next <= block->last) {
        ++block->taken;
        sqlite3_result_int64(ctx, block->next++);
        return;
    }
    const sqlite3_int64 taken = block ? block->taken : 0;
    const sqlite3_int64 count = blockSize(taken);
    const sqlite3_int64 last = reserveValues(ctx, argv[0], count);
    if (last == 0)
        return;
    auto* fresh = new SequenceBlock{last - count + 2, last, taken + 1};
    sqlite3_result_int64(ctx, last - count + 1);
    // Kept only while the name is a constant of the statement; otherwise freed at once and
    // the next call reserves again.
    sqlite3_set_auxdata(ctx, 0, fresh, [](void* p) { delete static_cast<SequenceBlock*>(p); });
}

} // namespace

void registerSqliteFunctions(void* handle)
{
    auto* db = static_cast<sqlite3*>(handle);
    const int pure = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    // round and trunc replace SQLite's binary ones on this connection.
    sqlite3_create_function(db, "round", 1, pure, nullptr, roundFunction, nullptr, nullptr);
    sqlite3_create_function(db, "round", 2, pure, nullptr, roundFunction, nullptr, nullptr);
    sqlite3_create_function(db, "trunc", 1, pure, nullptr, truncFunction, nullptr, nullptr);
    sqlite3_create_function(db, "trunc", 2, pure, nullptr, truncFunction, nullptr, nullptr);
    sqlite3_create_function(db, "rek2_concat", -1, pure, nullptr, concatFunction, nullptr, nullptr);
    sqlite3_create_function(db, "rek2_single_row", 2, pure, nullptr, singleRowFunction, nullptr, nullptr);
    sqlite3_create_function(db, "rek2_nextval", 1, SQLITE_UTF8, nullptr, nextvalFunction, nullptr, nullptr);
}

} // namespace rek2::db
