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

CMessageBoxSink::CMessageBoxSink(QWidget* owner) : m_owner(owner) {}

void CMessageBoxSink::SetOwner(QWidget* owner)
{
    m_owner = owner;
}

// The box wraps its texts at a width of its own, narrower than many a device
// path, and breaks a path wherever it must. A spacer across its layout makes
// room for the longest unbroken part of the detail, up to most of the screen.
void CMessageBoxSink::WidenFor(QMessageBox& box, const QString& detail)
{
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid == nullptr || detail.isEmpty())
        return;
    const QFontMetrics metrics(box.font());
    int widest = 0;
    for (const QString& part : detail.split(QRegularExpression(QStringLiteral("\\s+"))))
        widest = qMax(widest, metrics.horizontalAdvance(part));
    const QMargins margins = grid->contentsMargins();
    int width = widest + margins.left() + margins.right() + 2 * grid->horizontalSpacing();
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
    QMessageBox box(QMessageBox::NoIcon, message.caption, message.text, QMessageBox::Ok, m_owner);
    box.setInformativeText(message.detail);
    // Paths and commands in the detail can be copied into a terminal.
    // The box passes these flags to its main text only.
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    if (auto* informative = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel")))
        informative->setTextInteractionFlags(Qt::TextSelectableByMouse);
    WidenFor(box, message.detail);
    box.exec();
    if (busy)
        QGuiApplication::restoreOverrideCursor();
}
