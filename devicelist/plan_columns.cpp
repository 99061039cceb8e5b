#include "devicelist/plan_columns.h"

#include <QHash>
#include <QStringList>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace PlanColumns {
namespace {

struct Spellings
{
    std::optional<Field> field;   // empty: a column that numbers the rows
    QStringView texts;            // separated by "|"
};

constexpr std::optional<Field> Numbering;

// Headers as the sites' tools and people write them, a line per language.
// Within a field, earlier spellings win where a plan has several columns.
// To recognise another spelling, add it: it is compared as sameHeader()
// compares.
constexpr Spellings Table[] = {
    // English first: the finder's own saved list, and the widest use.
    {Field::Mac, u"MAC Address|MAC|MAC Addr|HW Address|HW Addr|Hardware Address|Ethernet Address|Physical Address"},
    {Field::Mac, u"MAC-Adresse|Hardware-Adresse|Physische Adresse"},   // de
    {Field::Mac, u"Adresse MAC|Adresse physique"},                     // fr
    {Field::Mac, u"Dirección MAC|Dirección física"},                   // es
    {Field::Mac, u"Indirizzo MAC|Indirizzo fisico"},                   // it
    {Field::Mac, u"MAC-adres|Fysiek adres|Hardware-adres"},            // nl
    {Field::Mac, u"MAC地址|物理地址|硬件地址|MAC位址"},                    // zh

    {Field::Serial, u"Serial Number|Serial|Serial No|Serial Nr|SN"},
    {Field::Serial, u"Seriennummer|Serien-Nr.|Seriennr"},
    {Field::Serial, u"Numéro de série|N° de série|No de série"},
    {Field::Serial, u"Número de serie|Nº de serie"},
    {Field::Serial, u"Numero di serie|Numero seriale|N. di serie|Matricola|Seriale"},
    {Field::Serial, u"Serienummer|Serienr"},
    {Field::Serial, u"序列号|序列號|产品序列号|设备序列号"},

    {Field::Ip, u"IP Address|IP|IPv4|IPv4 Address|IP Addr"},
    {Field::Ip, u"IP-Adresse|IPv4-Adresse"},
    {Field::Ip, u"Adresse IP|Adresse IPv4"},
    {Field::Ip, u"Dirección IP|Dirección IPv4"},
    {Field::Ip, u"Indirizzo IP|Indirizzo IPv4"},
    {Field::Ip, u"IP-adres|IPv4-adres"},
    {Field::Ip, u"IP地址|IPv4地址|IP位址"},
    // Last: an "Address" column is the IP only where nothing better is.
    {Field::Ip, u"Address"},

    {Field::Version, u"SW Version|Version|Software Version|Firmware|Firmware Version|FW Version|FW|SW|Software"},
    {Field::Version, u"Softwareversion|Firmwareversion"},
    {Field::Version, u"Version logicielle|Version du logiciel|Version du firmware|Micrologiciel|"
                     u"Version du micrologiciel"},
    {Field::Version, u"Versión de software|Versión del firmware|Versión de firmware"},
    {Field::Version, u"Versione|Versione software|Versione firmware"},
    {Field::Version, u"Versie|Softwareversie|Firmwareversie"},
    {Field::Version, u"版本|版本号|软件版本|固件版本|固件|軟體版本|韌體版本"},

    {Field::Name, u"Name|Location|Station|Label|Room|Apartment|Description|Device Name|Flat"},
    {Field::Name, u"Bezeichnung|Standort|Ort|Wohnung|Raum|Beschreibung|Gerätename"},
    {Field::Name, u"Nom|Emplacement|Lieu|Appartement|Libellé|Pièce"},
    {Field::Name, u"Nombre|Ubicación|Apartamento|Descripción|Etiqueta|Habitación"},
    {Field::Name, u"Nome|Posizione|Ubicazione|Appartamento|Descrizione|Etichetta|Stanza"},
    {Field::Name, u"Naam|Locatie|Plaats|Omschrijving|Beschrijving|Ruimte|Kamer"},
    {Field::Name, u"名称|名字|位置|房间|房号|描述|设备名称|安装位置|名稱|房間"},

    {Numbering, u"#|No.|Nr.|序号"},
};

// Lower case, accents and compatibility forms folded ("Nº" is "No",
// full-width letters are letters), everything but letters and digits
// dropped; a header of punctuation alone ("#") is kept as written.
QString comparable(QStringView header)
{
    const QString folded = header.toString().normalized(QString::NormalizationForm_KD);
    QString key;
    key.reserve(folded.size());
    for (const QChar c : folded) {
        if (c.isLetterOrNumber())
            key += c.toLower();
    }
    return key.isEmpty() ? header.trimmed().toString() : key;
}

const QHash<QString, Recognised> &byComparableText()
{
    static const QHash<QString, Recognised> byKey = [] {
        QHash<QString, Recognised> table;
        int rank = 0;
        for (const Spellings &spellings : Table) {
            for (const QStringView text : spellings.texts.split(u'|')) {
                const QString key = comparable(text);
                // Two fields must never claim the same header.
                Q_ASSERT(!table.contains(key) || table.value(key).field == spellings.field);
                if (!table.contains(key))
                    table.insert(key, Recognised{spellings.field, rank});
                ++rank;
            }
        }
        return table;
    }();
    return byKey;
}

constexpr std::array<QStringView, FieldCount> Labels{u"MAC", u"serial", u"IP", u"version", u"name"};
constexpr std::array<QStringView, FieldCount> Keys{u"mac", u"serial", u"ip", u"version", u"name"};

} // namespace

std::optional<Recognised> recognise(QStringView header)
{
    const auto found = byComparableText().constFind(comparable(header));
    if (found == byComparableText().cend())
        return std::nullopt;
    return *found;
}

bool sameHeader(QStringView a, QStringView b)
{
    return comparable(a) == comparable(b);
}

QString label(Field field)
{
    return Labels[static_cast<int>(field)].toString();
}

QString key(Field field)
{
    return Keys[static_cast<int>(field)].toString();
}

bool Choice::isEmpty() const
{
    return std::all_of(headers.cbegin(), headers.cend(), [](const QString &h) { return h.isEmpty(); });
}

Choice Choice::fromText(const QString &text, QString *error)
{
    Choice choice;
    const auto fail = [error](const QString &why) {
        *error = why;
        return Choice{};
    };
    for (const QString &pair : text.split(u',')) {
        const qsizetype equals = pair.indexOf(u'=');
        const QString name = pair.left(equals).trimmed().toLower();
        const QString header = pair.mid(equals + 1).trimmed();
        if (equals < 0 || name.isEmpty() || header.isEmpty())
            return fail(u"needs FIELD=HEADER pairs such as mac=Hardware,name=Wohnung, got \"%1\""_s.arg(
                    pair.left(64)));
        const auto field = std::find(Keys.cbegin(), Keys.cend(), name);
        if (field == Keys.cend())
            return fail(u"unknown field \"%1\"; the fields are mac, serial, ip, version and name"_s.arg(
                    name.left(64)));
        QString &chosen = choice.headers[field - Keys.cbegin()];
        if (!chosen.isEmpty())
            return fail(u"%1 is chosen twice"_s.arg(name));
        chosen = header;
    }
    return choice;
}

} // namespace PlanColumns
