#pragma once

#include <QString>
#include <QStringList>
#include <memory>

// The open and save panels Vornik shows, behind one small interface so that a test
// (or another desktop) can answer them without a person. The application makes one
// and hands it to the windows and actions that ask for files.
class FilePanels
{
public:
    struct OpenRequest {
        QString title;
        bool allowsMultipleSelection = false;
        bool canChooseDirectories = false;
        bool canCreateDirectories = false;
        QStringList allowedFileTypes;   // extensions without the dot; empty: any
    };
    struct SaveRequest {
        QString title;
        QStringList allowedFileTypes;
        QString proposedName;               // the file name the panel starts with
        QString directory;                  // the folder the panel starts in; empty: its own choice
        // Added by the panel to a name typed without a suffix, before it asks whether to
        // replace an existing file, so that the question is about the file written.
        QString defaultSuffix;
        bool canCreateDirectories = true;
        bool showsHiddenFiles = false;
    };

    virtual ~FilePanels() = default;
    // Runs an open panel modally; the chosen paths, empty when the user cancelled.
    virtual QStringList runOpenPanel(const OpenRequest &request) = 0;
    // Runs a save panel modally; the path as the user typed it, empty when cancelled.
    virtual QString runSavePanel(const SaveRequest &request) = 0;

    // The desktop's own file dialogs.
    static std::unique_ptr<FilePanels> dialogs();
};

// Lets the user pick one PNG file; its path, or an empty text when nothing was chosen.
QString choosePNGFile(FilePanels &panels);
