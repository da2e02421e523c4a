// The captions of a trial division, built from their recipes when the window shows them.
#include "commands/ProgressCaption.h"

#include "commands/CommandMessages.h"
#include "numbers/NumberFormat.h"
#include "numbers/Uint128Text.h"

namespace teilomat {
namespace {

std::string buildChecking(const CaptionRecipe& recipe) {
  return messages::checkingCaption(toDecimalText(recipe.number));
}

std::string buildProgress(const CaptionRecipe& recipe) {
  return "Teilomat - (" + toDecimalText(recipe.number) + " ist zu " + wholeText(recipe.percent) +
         " % überprüft; " + std::to_string(recipe.count) + " Zahlen als mög. Teiler getestet)";
}

}  // namespace

CaptionRecipe checkingCaption(uint128 number) { return {&buildChecking, number, 0, 0}; }

void ProgressCaption::percentChanged(double percent, std::uint64_t index) {
  const std::uint64_t shown = index == 1 ? leftover_ : index + 1;
  out_.setDeferredCaption({&buildProgress, number_, percent, shown});
}

}  // namespace teilomat
