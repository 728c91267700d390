#pragma once

// src/label/: the label command language and the label jobs. Includes tag/, link/ and common/;
// app/ builds on it.

struct OperationContext;
class BlockPage;
class QPushButton;
class TagInfoPage;

// The two label jobs: the tag information shown on the tag page, and the block data label with
// rows 1 and 2 of the block grid. PrintingFlag is set while either sends.
class LabelJobs
{
public:
    LabelJobs(OperationContext &context, TagInfoPage &info, BlockPage &blocks);

    void printTagInfo();
    void printBlocks();

private:
    OperationContext &m_context;
    TagInfoPage &m_info;
    BlockPage &m_blocks;
};
