#include "devicelist/plan_columns.h"

#include <QHash>
#include <QStringList>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace PlanColumns {
namespace {

struct Spelling
{
    std::optional<Field> field;   // empty: a column that numbers the rows
    QStringView text;
};

constexpr std::optional<Field> Numbering;

// Headers as the sites' tools and people write them. Within a field, earlier
// spellings win where a plan has several columns. To recognise another
// spelling, add a line: it is compared as sameHeader() compares.
constexpr Spelling Spellings[] = {
    // English first: the finder's own saved list, and the widest use.
    {Field::Mac, u"MAC Address"}, {Field::Mac, u"MAC"}, {Field::Mac, u"MAC Addr"},
    {Field::Mac, u"HW Address"}, {Field::Mac, u"HW Addr"}, {Field::Mac, u"Hardware Address"},
    {Field::Mac, u"Ethernet Address"}, {Field::Mac, u"Physical Address"},
    {Field::Mac, u"MAC-Adresse"}, {Field::Mac, u"Hardware-Adresse"}, {Field::Mac, u"Physische Adresse"},
    {Field::Mac, u"Adresse MAC"}, {Field::Mac, u"Adresse physique"},
    {Field::Mac, u"Dirección MAC"}, {Field::Mac, u"Dirección física"},
    {Field::Mac, u"Indirizzo MAC"}, {Field::Mac, u"Indirizzo fisico"},
    {Field::Mac, u"MAC-adres"}, {Field::Mac, u"Fysiek adres"}, {Field::Mac, u"Hardware-adres"},
    {Field::Mac, u"MAC地址"}, {Field::Mac, u"物理地址"}, {Field::Mac, u"硬件地址"}, {Field::Mac, u"MAC位址"},

    {Field::Serial, u"Serial Number"}, {Field::Serial, u"Serial"}, {Field::Serial, u"Serial No"},
    {Field::Serial, u"Serial Nr"}, {Field::Serial, u"SN"},
    {Field::Serial, u"Seriennummer"}, {Field::Serial, u"Serien-Nr."}, {Field::Serial, u"Seriennr"},
    {Field::Serial, u"Numéro de série"}, {Field::Serial, u"N° de série"}, {Field::Serial, u"No de série"},
    {Field::Serial, u"Número de serie"}, {Field::Serial, u"Nº de serie"},
    {Field::Serial, u"Numero di serie"}, {Field::Serial, u"Numero seriale"}, {Field::Serial, u"N. di serie"},
    {Field::Serial, u"Matricola"}, {Field::Serial, u"Seriale"},
    {Field::Serial, u"Serienummer"}, {Field::Serial, u"Serienr"},
    {Field::Serial, u"序列号"}, {Field::Serial, u"序列號"}, {Field::Serial, u"产品序列号"},
    {Field::Serial, u"设备序列号"},

    {Field::Ip, u"IP Address"}, {Field::Ip, u"IP"}, {Field::Ip, u"IPv4"}, {Field::Ip, u"IPv4 Address"},
    {Field::Ip, u"IP Addr"},
    {Field::Ip, u"IP-Adresse"}, {Field::Ip, u"IPv4-Adresse"},
    {Field::Ip, u"Adresse IP"}, {Field::Ip, u"Adresse IPv4"},
    {Field::Ip, u"Dirección IP"}, {Field::Ip, u"Dirección IPv4"},
    {Field::Ip, u"Indirizzo IP"}, {Field::Ip, u"Indirizzo IPv4"},
    {Field::Ip, u"IP-adres"}, {Field::Ip, u"IPv4-adres"},
    {Field::Ip, u"IP地址"}, {Field::Ip, u"IPv4地址"}, {Field::Ip, u"IP位址"},
    // Last: an "Address" column is the IP only where nothing better is.
    {Field::Ip, u"Address"},

    {Field::Version, u"SW Version"}, {Field::Version, u"Version"}, {Field::Version, u"Software Version"},
    {Field::Version, u"Firmware"}, {Field::Version, u"Firmware Version"}, {Field::Version, u"FW Version"},
    {Field::Version, u"FW"}, {Field::Version, u"SW"}, {Field::Version, u"Software"},
    {Field::Version, u"Softwareversion"}, {Field::Version, u"Firmwareversion"},
    {Field::Version, u"Version logicielle"}, {Field::Version, u"Version du logiciel"},
    {Field::Version, u"Version du firmware"}, {Field::Version, u"Micrologiciel"},
    {Field::Version, u"Version du micrologiciel"},
    {Field::Version, u"Versión de software"}, {Field::Version, u"Versión del firmware"},
    {Field::Version, u"Versión de firmware"},
    {Field::Version, u"Versione"}, {Field::Version, u"Versione software"}, {Field::Version, u"Versione firmware"},
    {Field::Version, u"Versie"}, {Field::Version, u"Softwareversie"}, {Field::Version, u"Firmwareversie"},
    {Field::Version, u"版本"}, {Field::Version, u"版本号"}, {Field::Version, u"软件版本"},
    {Field::Version, u"固件版本"}, {Field::Version, u"固件"}, {Field::Version, u"軟體版本"},
    {Field::Version, u"韌體版本"},

    {Field::Name, u"Name"}, {Field::Name, u"Location"}, {Field::Name, u"Station"}, {Field::Name, u"Label"},
    {Field::Name, u"Room"}, {Field::Name, u"Apartment"}, {Field::Name, u"Description"},
    {Field::Name, u"Device Name"}, {Field::Name, u"Flat"},
    {Field::Name, u"Bezeichnung"}, {Field::Name, u"Standort"}, {Field::Name, u"Ort"}, {Field::Name, u"Wohnung"},
    {Field::Name, u"Raum"}, {Field::Name, u"Beschreibung"}, {Field::Name, u"Gerätename"},
    {Field::Name, u"Nom"}, {Field::Name, u"Emplacement"}, {Field::Name, u"Lieu"}, {Field::Name, u"Appartement"},
    {Field::Name, u"Libellé"}, {Field::Name, u"Pièce"},
    {Field::Name, u"Nombre"}, {Field::Name, u"Ubicación"}, {Field::Name, u"Apartamento"},
    {Field::Name, u"Descripción"}, {Field::Name, u"Etiqueta"}, {Field::Name, u"Habitación"},
    {Field::Name, u"Nome"}, {Field::Name, u"Posizione"}, {Field::Name, u"Ubicazione"},
    {Field::Name, u"Appartamento"}, {Field::Name, u"Descrizione"}, {Field::Name, u"Etichetta"},
    {Field::Name, u"Stanza"},
    {Field::Name, u"Naam"}, {Field::Name, u"Locatie"}, {Field::Name, u"Plaats"}, {Field::Name, u"Omschrijving"},
    {Field::Name, u"Beschrijving"}, {Field::Name, u"Ruimte"}, {Field::Name, u"Kamer"},
    {Field::Name, u"名称"}, {Field::Name, u"名字"}, {Field::Name, u"位置"}, {Field::Name, u"房间"},
    {Field::Name, u"房号"}, {Field::Name, u"描述"}, {Field::Name, u"设备名称"}, {Field::Name, u"安装位置"},
    {Field::Name, u"名稱"}, {Field::Name, u"房間"},

    {Numbering, u"#"}, {Numbering, u"No."}, {Numbering, u"Nr."}, {Numbering, u"序号"},
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

const QHash<QString, Recognised> &spellings()
{
    static const QHash<QString, Recognised> byKey = [] {
        QHash<QString, Recognised> table;
        int rank = 0;
        for (const Spelling &spelling : Spellings) {
            const QString key = comparable(spelling.text);
            // Two fields must never claim the same header.
            Q_ASSERT(!table.contains(key) || table.value(key).field == spelling.field);
            if (!table.contains(key))
                table.insert(key, Recognised{spelling.field, rank});
            ++rank;
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
    const auto found = spellings().constFind(comparable(header));
    if (found == spellings().cend())
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
