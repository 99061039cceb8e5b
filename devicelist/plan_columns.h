#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

// The columns of a site plan: what a header names, as people write it in
// the languages of the sites, and the choice a user makes where no header
// is recognised.
namespace PlanColumns {

enum class Field { Mac, Serial, Ip, Version, Name };
inline constexpr int FieldCount = 5;
// The fields that tell a planned device: a plan needs a column of one.
inline constexpr std::array<Field, 3> Identifiers{Field::Mac, Field::Serial, Field::Ip};

// What a header cell names, compared in any case and without punctuation
// ("MAC-Adresse", "mac_address", "S/N", "序列号"). rank orders spellings
// of one field: where a plan has several, the lowest rank wins. A column
// that only numbers the rows ("#", "Nr.") is Numbering: never used, never
// worth a word.
struct Recognised
{
    std::optional<Field> field;   // empty: Numbering
    int rank = 0;
};
std::optional<Recognised> recognise(QStringView header);

// Two headers the user would call the same: case and punctuation aside.
bool sameHeader(QStringView a, QStringView b);

// "MAC", "serial", "IP", "version", "name": how messages name a field.
QString label(Field field);
// "mac", "serial", "ip", "version", "name": how a choice names a field.
QString key(Field field);

// A header name per field the user chose; an empty one is left to recognise().
struct Choice
{
    std::array<QString, FieldCount> headers;

    bool isEmpty() const;
    const QString &header(Field field) const { return headers[static_cast<int>(field)]; }
    // "mac=Hardware,name=Wohnung"; error set (and nothing chosen) when the
    // text is not such a list.
    static Choice fromText(const QString &text, QString *error);
};

} // namespace PlanColumns
