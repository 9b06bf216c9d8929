#include "core/form.h"

#include "core/design.h"

namespace skyquill {

frmSkyquill::frmSkyquill(Platform& platform)
    : tmrSkyquill(Element::tmrSkyquill, design::kDesignInterval),
      txtWord(Element::txtWord, design::kEntryBox),
      lblWord(Element::lblWord, design::kWordBox, design::kWordCaption.toString(), false),
      lblScore(Element::lblScore, design::kScoreBox, design::kScoreCaption.toString(), true),
      lblPaused(Element::lblPaused, design::kPausedBox, design::kPausedCaption.toString(), false),
      mnuNewGame(Element::mnuNewGame, design::kNewGame.toString(), true),
      mnuPauseGame(Element::mnuPauseGame, design::kPauseGame.toString(), false),
      mnuExit(Element::mnuExit, design::kExit.toString(), true),
      mnuRules(Element::mnuRules, design::kRules.toString(), true),
      mnuAbout(Element::mnuAbout, design::kAbout.toString(), true),
      platform_(platform),
      state_(std::make_unique<GameState>())
{
    txtWord.onChange([this] { txtWord_Change(); });
}

void frmSkyquill::setListener(ElementListener* listener)
{
    for (ElementBase* element : std::initializer_list<ElementBase*>{
             &tmrSkyquill, &txtWord, &lblWord, &lblScore, &lblPaused, &mnuNewGame, &mnuPauseGame, &mnuExit,
             &mnuRules, &mnuAbout})
        element->setListener(listener);
}

}  // namespace skyquill
