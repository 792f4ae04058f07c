#include "app/open_instead.h"

#include "app/import_dialog.h"
#include "app/main_window.h"
#include "app/patch_document.h"
#include "app/prompts.h"
#include "app/status_texts.h"
#include "gamefiles/forms/package.h"
#include "gamefiles/forms/package_blocks.h"
#include "patch/patch_file.h"

void OfferInstead(MainWindow& window, const std::string& path, const Error& error) {
    Prompts& prompts = CurrentPrompts();
    const QString text = QString::fromStdString(error.message), title = QStringLiteral("Open");
    if (IsPackageFile(path)) {
        if (const std::optional<std::uint8_t> fileId = FileIdOfPackage(path)) {
            if (prompts.Confirm(&window, text + QStringLiteral("\nImport blocks from it instead?"), title,
                                QStringLiteral("Import")))
                window.ShowImport()->Prefill(*fileId, QString::fromStdString(path));
            return;
        }
    } else if (RecoverableRecords(path) > 0) {
        if (!prompts.Confirm(&window, text + QStringLiteral("\nRecover the blocks it holds into a new patch?"), title,
                             QStringLiteral("&Recover")))
            return;
        const Result<Recovery> r = window.Document().Recover(path);
        prompts.Message(&window,
                        r ? QStringLiteral("Recovered %1 (the header counted %2) into a new patch. "
                                           "Save it to keep them.")
                                .arg(Blocks(r->recovered))
                                .arg(r->declared)
                          : QString::fromStdString(r.error().message),
                        title);
        return;
    }
    prompts.Message(&window, text, title);
}
