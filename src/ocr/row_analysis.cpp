// Row analysis over the recogniser's detail list.
#include "ocr/row_analysis.h"

namespace ocr {

RowAnalysis AnalyseRow(Recogniser& recogniser, Teacher& teacher, ports::EventPump& pump) {
  RowAnalysis analysis;
  recogniser.Details().clear();
  recogniser.SetDetailMode(true);
  analysis.complete = recogniser.RecognisePicture(teacher, pump);
  recogniser.SetDetailMode(false);
  recogniser.ClearRestart();
  analysis.glyphs = std::move(recogniser.Details());
  recogniser.Details().clear();
  return analysis;
}

}  // namespace ocr
