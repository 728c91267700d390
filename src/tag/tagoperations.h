#pragma once

// src/tag/: the tag pages and the tag operations. Includes link/ and common/; label/ and app/
// build on it.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

struct OperationContext;
class BlockPage;
class TagInfoPage;

// The four tag operations: Inventory and System information fill the tag page; Block read and
// Block write move the selected rows of the block grid from and to the tag.
class TagOperations
{
public:
    TagOperations(OperationContext &context, TagInfoPage &info, BlockPage &blocks);

    void inventory();
    void systemInformation();
    void readBlocks();
    void writeBlocks();
    // "Interrompi": the running block read or write ends after the block in progress.
    void requestStop();
    // "Esadecimale" could not switch because of these rows: tell the operator why.
    void reportModeRefused(const QList<int> &rows);

private:
    // The RF preamble, the request, and a wait for exactly `length` characters.
    void readTagInfo(const char *request, int length, bool inventory);

    // One block read, paced: the buffer emptied, the request, the fixed pause, the reply judged.
    enum class BlockReply
    {
        Read,
        NotRead,
        Missing,
        Stopped
    };
    BlockReply readBlock(int block);

    // Block write in three steps: refuse what cannot be written, write the selected rows, read
    // them back.
    struct WrittenBlock
    {
        int row;
        QByteArray data;  // the four bytes sent
    };
    bool checkWritable();
    bool writeSelected(QList<WrittenBlock> *written);
    void verifyWritten(const QList<WrittenBlock> &written);

    class StopScope;

    OperationContext &m_context;
    TagInfoPage &m_info;
    BlockPage &m_blocks;
    bool m_stopRequested = false;
};
