#pragma once

// src/label/: the label command language and the label jobs. Includes tag/, link/ and common/;
// app/ builds on it.

struct OperationContext;
class BlockPage;
class QPushButton;
#include <QStringList>

class TagInfoPage;

// The two label jobs: the tag information shown on the tag page, and the block data label with
// rows 1 and 2 of the block grid. PrintingFlag is set while either sends.
class LabelJobs
{
public:
    LabelJobs(OperationContext &context, TagInfoPage &info, BlockPage &blocks);

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

private:
    Sent sendAll(const QStringList &commands);

    OperationContext &m_context;
    TagInfoPage &m_info;
    BlockPage &m_blocks;
};
