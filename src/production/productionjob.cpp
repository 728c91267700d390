#include "production/productionjob.h"

#include "link/printercommands.h"
#include "tag/blockdata.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace productionjob {

namespace {

const QStringList &labelNames()
{
    static const QStringList names{QStringLiteral("nessuna"), QStringLiteral("informazioni"),
                                   QStringLiteral("blocchi")};
    return names;
}

const QStringList &failureNames()
{
    static const QStringList names{QStringLiteral("ferma"), QStringLiteral("annulla")};
    return names;
}

// A whole number from `low` to `high`: JSON numbers are doubles, exact up to 2^53.
bool integer(const QJsonValue &value, double low, double high, qint64 *out)
{
    const double d = value.toDouble(-1);
    if (!value.isDouble() || d < low || d > high || d != double(qint64(d)))
        return false;
    *out = qint64(d);
    return true;
}

}  // namespace

QByteArray toJson(const ProductionPlan &plan)
{
    QJsonArray rows;
    for (const RowBytes &r : plan.templateRows)
        rows.append(
            QJsonObject{{QStringLiteral("row"), r.row + 1},
                        {QStringLiteral("data"), blockdata::toHex(blockdata::padded(r.bytes))}});
    QJsonValue serial;
    if (plan.serial)
        serial =
            QJsonObject{{QStringLiteral("row"), plan.serial->row + 1},
                        {QStringLiteral("width"), plan.serial->width},
                        {QStringLiteral("form"), plan.serial->form == production::SerialForm::Binary
                                                     ? QStringLiteral("binario")
                                                     : QStringLiteral("decimale")},
                        // A string: a double holds a 64-bit value only up to 2^53.
                        {QStringLiteral("start"), QString::number(plan.serial->start)}};
    const QJsonObject job{{QStringLiteral("format"), QLatin1String(kFormat)},
                          {QStringLiteral("version"), kVersion},
                          {QStringLiteral("template"), rows},
                          {QStringLiteral("count"), plan.count},
                          {QStringLiteral("untilStopped"), plan.untilStopped},
                          {QStringLiteral("serial"), serial},
                          {QStringLiteral("verify"), plan.verify},
                          {QStringLiteral("label"), labelNames().value(int(plan.label))},
                          {QStringLiteral("onFailure"), failureNames().value(int(plan.onFailure))},
                          {QStringLiteral("log"), plan.logPath}};
    return QJsonDocument(job).toJson();
}

bool fromJson(const QByteArray &content, ProductionPlan *plan, QString *why)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(content, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) {
        *why = QStringLiteral("non è un file JSON valido");
        return false;
    }
    const QJsonObject o = doc.object();
    if (o.value(QStringLiteral("format")).toString() != QLatin1String(kFormat)) {
        *why = QStringLiteral("non è un lavoro di produzione di questo programma");
        return false;
    }
    if (o.value(QStringLiteral("version")) != QJsonValue(kVersion)) {
        *why = QStringLiteral("è di una versione che questo programma non conosce");
        return false;
    }
    const auto bad = [why](const char *field) {
        *why = QStringLiteral("il campo \"%1\" non è valido").arg(QLatin1String(field));
        return false;
    };
    ProductionPlan p;
    const QJsonValue rows = o.value(QStringLiteral("template"));
    if (!rows.isArray())
        return bad("template");
    for (const QJsonValue &v : rows.toArray()) {
        qint64 row = 0;
        QByteArray bytes;
        if (!integer(v.toObject().value(QStringLiteral("row")), 1, printer::kTagBlocks, &row) ||
            blockdata::fromHex(v.toObject().value(QStringLiteral("data")).toString(), &bytes) !=
                blockdata::HexError::None ||
            bytes.size() != printer::kBlockSize ||
            std::any_of(p.templateRows.begin(), p.templateRows.end(),
                        [&](const RowBytes &r) { return r.row == row - 1; }))
            return bad("template");
        p.templateRows.append({int(row - 1), bytes});
    }
    qint64 count = 0;
    if (!integer(o.value(QStringLiteral("count")), 1, 9999, &count))
        return bad("count");
    p.count = int(count);
    if (!o.value(QStringLiteral("untilStopped")).isBool())
        return bad("untilStopped");
    p.untilStopped = o.value(QStringLiteral("untilStopped")).toBool();
    if (const QJsonValue s = o.value(QStringLiteral("serial")); !s.isNull()) {
        production::SerialNumber serial;
        qint64 row = 0, width = 0;
        const QString form = s.toObject().value(QStringLiteral("form")).toString();
        bool startOk = false;
        serial.start = s.toObject().value(QStringLiteral("start")).toString().toULongLong(&startOk);
        if (!s.isObject() || !integer(s.toObject().value(QStringLiteral("row")), 1, 28, &row) ||
            !integer(s.toObject().value(QStringLiteral("width")), 4, 8, &width) ||
            (width != 4 && width != 8) || row - 1 + width / 4 > printer::kTagBlocks ||
            (form != QLatin1String("decimale") && form != QLatin1String("binario")) || !startOk)
            return bad("serial");
        serial.row = int(row - 1);
        serial.width = int(width);
        serial.form = form == QLatin1String("binario") ? production::SerialForm::Binary
                                                       : production::SerialForm::Decimal;
        if (serial.start > production::largestSerial(serial))
            return bad("serial");
        p.serial = serial;
    }
    if (!o.value(QStringLiteral("verify")).isBool())
        return bad("verify");
    p.verify = o.value(QStringLiteral("verify")).toBool();
    const qsizetype label = labelNames().indexOf(o.value(QStringLiteral("label")).toString());
    if (label < 0)
        return bad("label");
    p.label = ProductionPlan::Label(label);
    const qsizetype failure =
        failureNames().indexOf(o.value(QStringLiteral("onFailure")).toString());
    if (failure < 0)
        return bad("onFailure");
    p.onFailure = ProductionPlan::OnFailure(failure);
    if (!o.value(QStringLiteral("log")).isString())
        return bad("log");
    p.logPath = o.value(QStringLiteral("log")).toString();
    *plan = p;
    return true;
}

}  // namespace productionjob
