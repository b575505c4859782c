#include "CFileChoice.h"

#include "CProfile.h"
#include "CProfileSaver.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace {

// The dialogs are the sheet's, and so are their texts.
struct Text
{
    Q_DECLARE_TR_FUNCTIONS(CKelvaneSheet)
};

const QLatin1String kDocumentSuffix(".json");

QString FileFilter()
{
    return Text::tr("JSON 文档 (*.json);;所有文件 (*)");
}

// "<model>-<date>.json"
QString ProposedExportName(ConverterModel model)
{
    return ConverterModels::DisplayName(model) + QLatin1Char('-') +
           QDate::currentDate().toString(Qt::ISODate) + kDocumentSuffix;
}

} // namespace

CFileChoice::CFileChoice(CProfile& profile, CProfileSaver& saver, QWidget& dialogParent)
    : m_profile(profile), m_saver(saver), m_dialogParent(dialogParent)
{}

QString CFileChoice::WithDocumentSuffix(const QString& path)
{
    const QFileInfo file(path);
    if (!file.suffix().isEmpty() || file.exists())
        return path;
    return path + kDocumentSuffix;
}

QString CFileChoice::Choose(Choice choice, ConverterModel model)
{
    // The last choice may have been saved by the saver since the window read the file.
    m_profile.Reload();
    QString folder = m_profile.ConfigFolder();
    if (folder.isEmpty())
        folder = QDir::homePath();
    const QString proposal =
        choice == Choice::Export ? QDir(folder).filePath(ProposedExportName(model)) : folder;
    const QString path = Ask(choice, proposal);
    if (!path.isEmpty())
        KeepFolder(QFileInfo(path).absolutePath());
    return path;
}

void CFileChoice::KeepFolder(const QString& folder)
{
    CProfile folderSave = CProfile::Deferred();
    folderSave.SaveConfigFolder(folder);
    m_saver.Commit(folderSave);
}

QString CFileChoice::Ask(Choice choice, const QString& proposal)
{
    if (m_choose)
        return m_choose(choice, proposal);
    if (choice == Choice::Export)
        return QFileDialog::getSaveFileName(&m_dialogParent, Text::tr("导出"), proposal,
                                            FileFilter());
    return QFileDialog::getOpenFileName(&m_dialogParent, Text::tr("导入"), proposal, FileFilter());
}
