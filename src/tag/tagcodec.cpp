#include "tag/tagcodec.h"

#include "link/printercommands.h"
#include "tag/tagdetails.h"

#include <QList>

namespace tagcodec {

QString decimalByte(QChar c)
{
    return QLatin1Char(' ') + QString::number(c.unicode());
}

QString byteList(QStringView chars)
{
    QString out;
    for (QChar c : chars)
        out += decimalByte(c) + QLatin1String("  ");
    return out;
}

namespace {

quint8 replyByte(const QString &reply, int index)
{
    return quint8(reply.at(index).unicode());
}

QString uidTip(const QString &reply, int from)
{
    const QByteArray uid = reply.mid(from, 8).toLatin1();
    return tagdetails::hexBytes(uid) + QStringLiteral("\nProduttore: ") +
           tagdetails::uidManufacturer(uid);
}

}  // namespace

TagInfo decodeInventory(const QString &reply)
{
    TagInfo t;
    t.dataSets = decimalByte(reply.at(1));
    t.trType = decimalByte(reply.at(2));
    t.dsfid = decimalByte(reply.at(3));
    t.uid = byteList(QStringView(reply).mid(4, 8));
    t.uidBytes = reply.mid(4, 8).toLatin1();
    t.memSize = t.afi = t.icRef = QLatin1String(kPlaceholder);
    t.command = QStringLiteral("INVENTORY");
    t.dataSetsTip = tagdetails::hexByte(replyByte(reply, 1));
    t.trTypeTip = tagdetails::hexByte(replyByte(reply, 2));
    t.dsfidTip = tagdetails::hexByte(replyByte(reply, 3));
    t.uidTip = uidTip(reply, 4);
    return t;
}

TagInfo decodeSystemInformation(const QString &reply)
{
    TagInfo t;
    t.dsfid = decimalByte(reply.at(1));
    t.uid = byteList(QStringView(reply).mid(2, 8));
    t.uidBytes = reply.mid(2, 8).toLatin1();
    t.afi = decimalByte(reply.at(10));
    t.memSize = decimalByte(reply.at(11)) + QLatin1Char(' ') + decimalByte(reply.at(12));
    t.icRef = decimalByte(reply.at(13));
    t.dataSets = t.trType = QLatin1String(kPlaceholder);
    t.command = QStringLiteral("GET SYSTEM INFORMATION");
    t.dsfidTip = tagdetails::hexByte(replyByte(reply, 1));
    t.uidTip = uidTip(reply, 2);
    t.afiTip = tagdetails::hexByte(replyByte(reply, 10));
    t.memSizeTip = tagdetails::memorySize(replyByte(reply, 11), replyByte(reply, 12));
    t.icRefTip = tagdetails::hexByte(replyByte(reply, 13));
    return t;
}

QString readBlockRequest(int block)
{
    return QLatin1String(printer::kReadBlockPrefix) + QString::number(block) + QLatin1String(",1");
}

QString writeBlockRequest(int block, const QString &data)
{
    return QLatin1String(printer::kWriteBlockPrefix) + QString::number(block) +
           QLatin1String(",1,") + data;
}

QString blockReplyData(const QString &reply)
{
    return reply.mid(4, printer::kBlockSize);
}

bool blockReadOk(const QString &reply)
{
    return reply.size() == printer::kReadBlockReplyLength && reply.at(3).unicode() == 0;
}

}  // namespace tagcodec
