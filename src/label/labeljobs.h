#pragma once

// src/label/: the label command language and the label jobs. Includes tag/, link/ and common/;
// production/ and app/ build on it.

#include <QObject>
#include <QStringList>

struct OperationContext;
class BlockModel;
class TagInfoModel;

// The two label jobs: the tag information as the operator left it, and the block data label
// with rows 1 and 2 of the block grid. PrintingFlag is set while either sends.
class LabelJobs : public QObject
{
    Q_OBJECT
public:
    LabelJobs(OperationContext &context, TagInfoModel &info, BlockModel &blocks,
              QObject *parent = nullptr);

    // Which of the two labels; the label "ANNULLATO" goes out as the block data label does.
    enum class Label { TagInfo, Blocks };
    Q_ENUM(Label)

    void printTagInfo();
    void printBlocks();

    // The labels' traffic alone, for a run that has made its own checks and holds the printer
    // operation. Failed: the line failed or the program is ending. Refused: a field edited during
    // the label's pauses can no longer be printed (the operator has been told); the label stopped
    // before its print command.
    enum class Sent { Done, Refused, Failed };
    Sent sendTagInfoLabel();
    Sent sendBlockLabel(const QString &row1, const QString &row2);
    // A label marked "ANNULLATO" for a tag that failed, with its UID as the tag page shows it.
    Sent sendVoidLabel(const QString &uid);

signals:
    // A label's commands go out, from the first to the last: its button shows it.
    void printingChanged(LabelJobs::Label label, bool printing);

private:
    class Printing;
    Sent sendAll(const QStringList &commands);

    OperationContext &m_context;
    TagInfoModel &m_info;
    BlockModel &m_blocks;
};
