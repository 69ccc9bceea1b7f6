// The purchase panels, the statistics, log and politics dialogs and the
// battle dialogs, made known to the main screen by display name. None of
// them gives the screen a result to read.
#include "DC_Dlg_Combat.h"
#include "DC_Dlg_Log.h"
#include "DC_Dlg_Politics.h"
#include "DC_Dlg_Statistics.h"
#include "DC_Main.h"
#include "DC_Main_Purchases_Items.h"
#include "DC_Main_Purchases_List.h"

namespace {
template <typename T>
void Register_Plain(const std::string& name) {
  DC_Main_Register_Dialog(name, {[](std::int32_t, std::int32_t) -> std::unique_ptr<TDisplay_Class> {
                                   return std::make_unique<T>();
                                 },
                                 [](TDisplay_Class&) { return TDC_Main_Dialog_Outcome(); }});
}

template <typename T>
void Register_Panel(const std::string& name) {
  DC_Main_Register_Dialog(name, {[](std::int32_t, std::int32_t) -> std::unique_ptr<TDisplay_Class> {
                                   if (!G_DC_Main) return nullptr;
                                   return std::make_unique<T>(*G_DC_Main);
                                 },
                                 [](TDisplay_Class&) { return TDC_Main_Dialog_Outcome(); }});
}
}  // namespace

void Panels_Register_Dialogs() {
  Register_Panel<TDC_Main_Purchases_List>("DC Main Purchases List");
  Register_Panel<TDC_Main_Purchases_Items>("DC Main Purchases Items");
  Register_Plain<TDC_Dlg_Statistics>("Dlg Statistics");
  Register_Plain<TDC_Dlg_Log>("Dlg Log");
  Register_Plain<TDC_Dlg_Politics>("Dlg Politics");
  Register_Plain<TDC_Dlg_CombatBegin>("Dlg Combat Begin");
  Register_Plain<TDC_Dlg_CombatEnd>("Dlg Combat End");
}
