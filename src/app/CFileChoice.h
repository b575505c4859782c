#pragma once

#include "ConverterModel.h"

#include <QString>

#include <functional>

class CProfile;
class CProfileSaver;
class QWidget;

// The document file an export writes or an import reads, chosen by the user
// in the folder of the last choice, which the profile keeps.
class CFileChoice
{
public:
    enum class Choice
    {
        Export,
        Import
    };
    // Asks for the file to export to or import from; proposal is the folder
    // to start in, for an export with the proposed file name in it. Empty
    // when the user cancelled.
    using Chooser = std::function<QString(Choice choice, const QString& proposal)>;

    CFileChoice(CProfile& profile, CProfileSaver& saver, QWidget& dialogParent);

    // The platform's file dialog unless set.
    void SetChooser(Chooser chooser) { m_choose = std::move(chooser); }
    // The chosen file, its folder remembered for the next choice; an export
    // proposes a name for the model. Empty when the user cancelled.
    QString Choose(Choice choice, ConverterModel model);
    // The folder the next choice starts in, as one made elsewhere found it.
    void KeepFolder(const QString& folder);

    // A name typed without a suffix gets the document's, so that the
    // import's filter lists the file; an existing file (a FIFO, a device) is
    // taken as named.
    static QString WithDocumentSuffix(const QString& path);

private:
    QString Ask(Choice choice, const QString& proposal);

    CProfile& m_profile;
    CProfileSaver& m_saver;
    QWidget& m_dialogParent;
    Chooser m_choose;
};
