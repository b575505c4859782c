#include "CMessageBoxSink.h"

#include <QCursor>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QRegularExpression>
#include <QScreen>
#include <QSpacerItem>
#include <QStyle>

CMessageBoxSink::CMessageBoxSink(QWidget* owner) : m_owner(owner) {}

void CMessageBoxSink::SetOwner(QWidget* owner)
{
    m_owner = owner;
}

// The box wraps its texts at a width of its own, narrower than many a device
// path, and breaks a path wherever it must; the window manager elides a
// caption wider than the box. A spacer across its layout makes room for the
// caption with the title bar's buttons and for the longest path-like run of
// the texts (Chinese text may break anywhere), up to most of the screen.
void CMessageBoxSink::WidenFor(QMessageBox& box, const UserMessage& message)
{
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid == nullptr)
        return;
    const QFontMetrics metrics(box.font());
    const int titleButtons = 4 * box.style()->pixelMetric(QStyle::PM_TitleBarHeight);
    int widest = metrics.horizontalAdvance(message.caption) + titleButtons;
    static const QRegularExpression unbroken(QStringLiteral("[^\\s\\x{2E80}-\\x{FFFF}]+"));
    for (const QString& text : {message.text, message.detail})
        for (QRegularExpressionMatchIterator it = unbroken.globalMatch(text); it.hasNext();)
            widest = qMax(widest, metrics.horizontalAdvance(it.next().captured()));
    const QMargins margins = grid->contentsMargins();
    int width = widest + margins.left() + margins.right() + 2 * grid->horizontalSpacing() +
                box.style()->pixelMetric(QStyle::PM_MessageBoxIconSize);
    if (const QScreen* screen = box.screen())
        width = qMin(width, screen->availableGeometry().width() * 4 / 5);
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

void CMessageBoxSink::Show(const UserMessage& message)
{
    // A command that is still talking to the converter keeps the busy cursor
    // up; the box waits for the user, who needs the ordinary pointer for it.
    const bool busy = QGuiApplication::overrideCursor() != nullptr;
    if (busy)
        QGuiApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
    const QMessageBox::Icon icon = message.kind == UserMessage::Kind::Success
                                       ? QMessageBox::Information
                                       : QMessageBox::Warning;
    QMessageBox box(icon, message.caption, message.text, QMessageBox::Ok, m_owner);
    box.setInformativeText(message.detail);
    // Paths and commands in the detail can be copied into a terminal.
    // The box passes these flags to its main text only.
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    if (auto* informative = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel")))
        informative->setTextInteractionFlags(Qt::TextSelectableByMouse);
    WidenFor(box, message);
    box.exec();
    if (busy)
        QGuiApplication::restoreOverrideCursor();
}
