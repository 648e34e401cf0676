#include "dialog_templates.h"

#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QSvgRenderer>

#include <functional>

#include "ui_IDD_DOWNLOAD_VOICE_CN.h"
#include "ui_IDD_DOWNLOAD_VOICE_ENG.h"
#include "ui_IDD_DOWNLOAD_VOICE_TW.h"
#include "ui_IDD_INITIALINFO_CN.h"
#include "ui_IDD_INITIALINFO_ENG.h"
#include "ui_IDD_INITIALINFO_TW.h"
#include "ui_IDD_SETDIALOG_CN.h"
#include "ui_IDD_SETDIALOG_ENG.h"
#include "ui_IDD_SETDIALOG_TW.h"
#include "window_host.h"

// The resources live in a static library; nothing would pull them in otherwise.
static void initializeLibraryResources() {
    Q_INIT_RESOURCE(lenvoro_dialogs);
}

namespace lenvoro {

namespace {

constexpr int kIconSizePixels = 32;
constexpr QPoint kHandHotSpot{12, 2};

template <typename Form>
void buildForm(QDialog* dialog) {
    Form form;
    form.setupUi(dialog);
}

struct TemplateEntry {
    std::u16string_view name;
    void (*build)(QDialog*);
};

constexpr TemplateEntry kTemplates[] = {
    {u"IDD_DOWNLOAD_VOICE_CN", &buildForm<Ui::IDD_DOWNLOAD_VOICE_CN>},
    {u"IDD_DOWNLOAD_VOICE_TW", &buildForm<Ui::IDD_DOWNLOAD_VOICE_TW>},
    {u"IDD_DOWNLOAD_VOICE_ENG", &buildForm<Ui::IDD_DOWNLOAD_VOICE_ENG>},
    {u"IDD_INITIALINFO_CN", &buildForm<Ui::IDD_INITIALINFO_CN>},
    {u"IDD_INITIALINFO_TW", &buildForm<Ui::IDD_INITIALINFO_TW>},
    {u"IDD_INITIALINFO_ENG", &buildForm<Ui::IDD_INITIALINFO_ENG>},
    {u"IDD_SETDIALOG_CN", &buildForm<Ui::IDD_SETDIALOG_CN>},
    {u"IDD_SETDIALOG_TW", &buildForm<Ui::IDD_SETDIALOG_TW>},
    {u"IDD_SETDIALOG_ENG", &buildForm<Ui::IDD_SETDIALOG_ENG>},
};

QPixmap renderSvg(const QString& resource) {
    initializeLibraryResources();
    QSvgRenderer renderer(resource);
    if (!renderer.isValid())
        return {};
    const qreal ratio = qGuiApp != nullptr ? qGuiApp->devicePixelRatio() : 1.0;
    QPixmap image(QSize(kIconSizePixels, kIconSizePixels) * ratio);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter, QRectF(0, 0, kIconSizePixels, kIconSizePixels));
    return image;
}

}  // namespace

std::unique_ptr<QDialog> CreateDialogFromTemplate(std::u16string_view templateName) {
    if (!CanShowWindows())
        return nullptr;
    for (const TemplateEntry& entry : kTemplates) {
        if (entry.name != templateName)
            continue;
        auto dialog = std::make_unique<QDialog>();
        entry.build(dialog.get());
        // Caption, system menu and close box; no context-help button.
        dialog->setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                               Qt::WindowCloseButtonHint);
        for (QLabel* label : dialog->findChildren<QLabel*>()) {
            const QString icon = label->property("libraryIcon").toString();
            if (!icon.isEmpty()) {
                label->setPixmap(LibraryIcon({reinterpret_cast<const char16_t*>(icon.utf16()),
                                              static_cast<size_t>(icon.size())}));
            }
        }
        return dialog;
    }
    return nullptr;
}

QPixmap LibraryIcon(std::u16string_view iconName) {
    if (iconName == u"IDI_REPAIR")
        return renderSvg(QStringLiteral(":/lenvoro/IDI_REPAIR.svg"));
    if (iconName == u"IDI_LOCKKEY")
        return renderSvg(QStringLiteral(":/lenvoro/IDI_LOCKKEY.svg"));
    return {};
}

QCursor LibraryCursor(std::u16string_view cursorName) {
    if (cursorName == u"IDC_HAND") {
        const QPixmap hand = renderSvg(QStringLiteral(":/lenvoro/IDC_HAND.svg"));
        if (!hand.isNull())
            return QCursor(hand, kHandHotSpot.x(), kHandHotSpot.y());
        return QCursor(Qt::PointingHandCursor);
    }
    return QCursor(Qt::ArrowCursor);
}

}  // namespace lenvoro
