#include "tag/blockdump.h"

#include "tag/blockdata.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace blockdump {

namespace {

const char kFormatKey[] = "format";
const char kVersionKey[] = "version";
const char kSavedKey[] = "saved";
const char kUidKey[] = "uid";
const char kBlocksKey[] = "blocks";

}  // namespace

Kind kindOf(const QString &path)
{
    if (path.endsWith(QLatin1String(".bin"), Qt::CaseInsensitive))
        return Kind::Bin;
    if (path.endsWith(QLatin1String(".json"), Qt::CaseInsensitive))
        return Kind::Json;
    return Kind::Unknown;
}

QByteArray toBin(const Blocks &blocks)
{
    QByteArray out;
    out.reserve(kBinSize);
    for (const auto &block : blocks)
        out += blockdata::padded(block.value_or(QByteArray()));
    return out;
}

QByteArray toJson(const Blocks &blocks, const QDateTime &saved, const QByteArray &uid)
{
    QJsonArray list;
    for (const auto &block : blocks)
        list.append(block ? QJsonValue(blockdata::toHex(blockdata::padded(*block)))
                          : QJsonValue(QJsonValue::Null));
    QJsonObject object{
        {QLatin1String(kFormatKey), QLatin1String(kFormat)},
        {QLatin1String(kVersionKey), kVersion},
        {QLatin1String(kSavedKey), saved.toString(Qt::ISODate)},
        {QLatin1String(kBlocksKey), list},
    };
    if (!uid.isEmpty())
        object.insert(QLatin1String(kUidKey), blockdata::toHex(uid));
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

bool fromBin(const QByteArray &content, Blocks *blocks, QString *why)
{
    if (content.size() != kBinSize) {
        *why = QStringLiteral("contiene %1 byte, un dump .bin ne contiene esattamente %2")
                   .arg(content.size())
                   .arg(kBinSize);
        return false;
    }
    for (int i = 0; i < printer::kTagBlocks; ++i)
        (*blocks)[size_t(i)] = content.mid(i * printer::kBlockSize, printer::kBlockSize);
    return true;
}

bool fromJson(const QByteArray &content, Blocks *blocks, QString *why, QByteArray *uid)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(content, &error);
    if (error.error != QJsonParseError::NoError) {
        *why = QStringLiteral("non è un documento JSON valido (errore al carattere %1)")
                   .arg(error.offset + 1);
        return false;
    }
    if (!document.isObject()) {
        *why = QStringLiteral("il documento JSON non è un oggetto con i campi \"%1\" e \"%2\"")
                   .arg(QLatin1String(kFormatKey), QLatin1String(kBlocksKey));
        return false;
    }
    const QJsonObject object = document.object();
    if (object.value(QLatin1String(kFormatKey)).toString() != QLatin1String(kFormat)) {
        *why = QStringLiteral("il campo \"%1\" non vale \"%2\": non è un file di blocchi di "
                              "questo programma")
                   .arg(QLatin1String(kFormatKey), QLatin1String(kFormat));
        return false;
    }
    const QJsonValue version = object.value(QLatin1String(kVersionKey));
    if (!version.isDouble() || version.toDouble() != kVersion) {
        *why = QStringLiteral("versione del formato non supportata (questo programma legge la "
                              "versione %1)")
                   .arg(kVersion);
        return false;
    }
    const QJsonValue list = object.value(QLatin1String(kBlocksKey));
    if (!list.isArray() || list.toArray().size() != printer::kTagBlocks) {
        *why = QStringLiteral("il campo \"%1\" deve essere un elenco di %2 blocchi")
                   .arg(QLatin1String(kBlocksKey))
                   .arg(printer::kTagBlocks);
        return false;
    }
    QByteArray uidBytes;
    const QJsonValue uidValue = object.value(QLatin1String(kUidKey));
    if (!uidValue.isUndefined() &&
        (!uidValue.isString() || uidValue.toString().size() != 2 * kUidSize ||
         blockdata::fromHex(uidValue.toString(), &uidBytes) != blockdata::HexError::None)) {
        *why = QStringLiteral("il campo \"%1\" non è un UID di %2 cifre esadecimali")
                   .arg(QLatin1String(kUidKey))
                   .arg(2 * kUidSize);
        return false;
    }
    Blocks parsed;
    const QJsonArray array = list.toArray();
    for (int i = 0; i < printer::kTagBlocks; ++i) {
        const QJsonValue value = array.at(i);
        if (value.isNull())
            continue;
        QByteArray bytes;
        const QString text = value.toString();
        if (!value.isString() || text.size() != 2 * printer::kBlockSize ||
            blockdata::fromHex(text, &bytes) != blockdata::HexError::None) {
            *why = QStringLiteral("il blocco %1 non è né null né una stringa di %2 cifre "
                                  "esadecimali")
                       .arg(i + 1)
                       .arg(2 * printer::kBlockSize);
            return false;
        }
        parsed[size_t(i)] = bytes;
    }
    *blocks = parsed;
    if (uid)
        *uid = uidBytes;
    return true;
}

}  // namespace blockdump
