#include "tag/taginfomodel.h"

#include "tag/tagcodec.h"

void TagInfoModel::setField(int field, const QString &text)
{
    set(field, text, m_toolTips[size_t(field)]);
}

void TagInfoModel::setLastCommand(const QString &command)
{
    if (command == m_lastCommand)
        return;
    m_lastCommand = command;
    emit lastCommandChanged();
}

void TagInfoModel::show(const tagcodec::TagInfo &info)
{
    using namespace tagfields;
    set(kDataSets, info.dataSets, info.dataSetsTip);
    set(kDsfid, info.dsfid, info.dsfidTip);
    set(kMemSize, info.memSize, info.memSizeTip);
    set(kTrType, info.trType, info.trTypeTip);
    set(kAfi, info.afi, info.afiTip);
    set(kIcRef, info.icRef, info.icRefTip);
    set(kUid, info.uid, info.uidTip);
    m_uid = info.uidBytes;
    setLastCommand(info.command);
}

void TagInfoModel::set(int field, const QString &text, const QString &toolTip)
{
    QString &shown = m_fields[size_t(field)];
    QString &tip = m_toolTips[size_t(field)];
    if (text == shown && toolTip == tip)
        return;
    shown = text;
    tip = toolTip;
    emit fieldChanged(field);
}
