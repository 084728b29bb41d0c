#pragma once
#include <QChar>
#include <QString>

// Small text functions for recipient names read from a spreadsheet and for security
// names that end up in file names. No state, no tables.
namespace rek2 {

// Replaces / \ : * ? " < > | by "-" and removes every blank, so the text can be part of a
// file name ("A/B C:1" -> "A-BC-1").
QString PopraviNaziv(const QString& text);

// Drops a trailing upper-case Roman numeral I..X (optionally followed by a full stop) that
// follows the last blank; the blank before it stays ("NOVAK JANEZ II" -> "NOVAK JANEZ ").
QString BrezRimskogNaKoncu(const QString& name);

struct ImePriimek {
    QString ime;       // first name
    QString nazivCel;  // full name, first name first
    QString priimek;   // surname
};

// Splits a name written surname first. With one blank the words swap; with two the last
// word is the first name; with three or more the first two words are the surname.
ImePriimek ObrniImePriimek(const QString& name);

// Number of positions of `text` holding `ch` (case significant).
int CountChar(const QString& text, QChar ch);

// Spreadsheet column label to column number: A = 1, Z = 26, AA = 27, IV = 256. Only the
// first two letters count; upper case expected. An empty label gives 0 (no column).
int ColumnNumber(const QString& label);

} // namespace rek2
