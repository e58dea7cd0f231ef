#include "korvid/editor/order_like_dialog.h"

#include "korvid/editor/editor_context.h"

#include <filesystem>

namespace korvid {

OrderLikeDialog::OrderLikeDialog(const std::string& reference_path, const OrderLikePlan& plan)
    : m_heading("Order the channels like " + std::filesystem::path(reference_path).filename().string())
    , m_summary(order_like_summary(plan))
{}

common::FileDialogSpec order_like_file_dialog()
{
    common::FileDialogSpec d;
    d.filter = "Channel lists (*.ird;*.json)|*.ird;*.json|IRD Files (*.ird)|*.ird|JSON Files "
               "(*.json)|*.json|All Files (*.*)|*.*||";
    return d;
}

bool order_like_command(EditorContext& ctx)
{
    if (!ctx.db.present) {
        ctx.prompts.warning("There is no data to order");
        return false;
    }
    const auto path = ctx.prompts.open_file(order_like_file_dialog());
    if (!path)
        return false;
    std::string message;
    ctx.prompts.set_busy(true);
    std::unique_ptr<Database> reference = read_reference_database(*path, message);
    const OrderLikePlan plan = reference ? plan_order_like(ctx.db, *reference) : OrderLikePlan{};
    ctx.prompts.set_busy(false);
    if (!reference) {
        ctx.prompts.error(message);
        return false;
    }
    OrderLikeDialog dialog(*path, plan);
    if (!ctx.dialogs.order_like || !ctx.dialogs.order_like(dialog))
        return false;
    if (!apply_order_like(ctx.db, *reference, plan, dialog.favourites().checked))
        return false;
    ctx.mark_modified(order_like_label(*path));
    return true;
}

} // namespace korvid
