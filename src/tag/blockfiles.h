#pragma once

#include <QString>
#include <QStringList>

class BlockPage;
class FileChooser;
class MessageSink;
class TagInfoPage;

// "Salva..." and "Carica...": the block grid to and from a file (see blockdump.h for the two
// forms). Nothing is sent to the tag.
class BlockFiles
{
public:
    BlockFiles(BlockPage &blocks, TagInfoPage &info, MessageSink &messages, FileChooser &chooser);

    void setChooser(FileChooser &chooser) { m_chooser = &chooser; }
    // The file types the dialogs offer.
    static QStringList filters();

    void save();
    void load();

private:
    void refuse(const QString &what, const QString &path, const QString &why);

    BlockPage &m_blocks;
    TagInfoPage &m_info;
    MessageSink &m_messages;
    FileChooser *m_chooser;
};
