// The controls of the main window as data: name, kind, container, place in twips, start caption, spoken name, command.
#pragma once

#include "app/Form1.h"
#include "commands/Commands.h"

namespace teilomat {

enum class ControlKind {
  Button,       // QPushButton
  Frame,        // QGroupBox
  Label,        // QLabel, plain text, top left
  ResultLabel,  // QLabel that wraps words, a result line: read by its text, described by the row's name
  Field,        // InputField, any length
  TypedField,   // InputField that takes at most Form1::kInputLimit typed characters
  CheckBox,     // QCheckBox
  List,         // QListView over the listing's entries
};

// What a button runs when pressed, on the window's thread from its first
// step to its end. `nests`: whether the command runs event passes, so that
// other commands may run inside it (and the nesting bound applies).
struct ButtonCommand {
  void (*run)(Form1& window) = nullptr;
  bool nests = true;
};

// A command of the core, run on the window as its output surface and platform services.
template <void (*command)(OutputSurface&, PlatformServices&)>
void onWindow(Form1& window) {
  command(window, window.services());
}

struct ControlRow {
  const char* name;
  ControlKind kind;
  const char* parent;            // "Form1" for the window, else a control named further up
  int left, top, width, height;  // twips in the container
  const char* caption;           // caption or start text, UTF-8; "&" marks the access key
  // What a screen reader calls the control: the caption it shows or stands
  // under, without access-key marks. Text2 and Command3 follow the captions
  // the commands give them (Form1::setFrame4Caption, setCommand3Caption).
  const char* accessibleName;
  ButtonCommand command = {};          // buttons only
  const char* enterPresses = nullptr;  // fields: the button that Enter presses
};

// In tab order: every container stands before what it holds, and Text1
// after Frame1 so that it is drawn over it. The start captions keep their
// historic wording, slips included ("die Falsche Anzahl", "25-Stellige
// zahlen"): they are not to be corrected. A new command is one button row
// here, its handler's file and its line in commands/CMakeLists.txt.
// One row a control, laid out as a table reads.
// clang-format off
inline constexpr ControlRow kForm1Controls[] = {
    {"Command1", ControlKind::Button, "Form1", 7080, 240, 2055, 495, "&Primprüfung", "Primprüfung",
     {onWindow<runPrimalityCheck>}},
    {"Frame1", ControlKind::Frame, "Form1", 120, 120, 3015, 615, "Eingabe", "Eingabe"},
    {"Text1", ControlKind::TypedField, "Form1", 240, 360, 2775, 285, "999999999999989", "Eingabe", {}, "Command1"},
    {"Frame2", ControlKind::Frame, "Form1", 120, 1200, 4335, 1455, "Ausgabe", "Ausgabe"},
    {"Label1", ControlKind::ResultLabel, "Frame2", 240, 240, 3855, 1095,
     "Funktioniert nur mit Zahlen mit maximal 15 Stellen !!! Bug wurde gefixt der die Falsche Anzahl an "
     "probierten Teilern wiedergibt !",
     "Ausgabe"},
    {"Frame3", ControlKind::Frame, "Form1", 120, 2760, 4335, 1455, "Console", "Console"},
    {"Label2", ControlKind::ResultLabel, "Frame3", 240, 240, 3855, 1095,
     "Jetzt kann man Zahlen mit bis zu 29 Stellen testen lassen, und ich arbeite weiter um das Limit zu "
     "erhöhen !!  Aber Achtung kann ziemlich lange dauern um 25-Stellige zahlen zu überprüfen"
     "                              Jetzt mit starker Realtime Anzeige !!!",
     "Console"},
    {"Command2", ControlKind::Button, "Form1", 9240, 240, 2055, 495, "&Nächste Primzahl", "Nächste Primzahl",
     {onWindow<runNextPrimeSearch>}},
    {"Check1", ControlKind::CheckBox, "Form1", 240, 840, 1335, 375, "Signalton an ?", "Signalton an"},
    {"Frame4", ControlKind::Frame, "Form1", 3240, 120, 3615, 975, "", "Ergebnis"},
    {"Text2", ControlKind::Field, "Frame4", 120, 240, 3375, 285, "", "Ergebnis"},
    {"Command3", ControlKind::Button, "Frame4", 120, 600, 3375, 315, "", "Ergebnis ins Eingabefeld kopieren",
     {onWindow<copyResultToInput>, false}},
    {"Command4", ControlKind::Button, "Form1", 7080, 840, 4215, 255, "Primmarktest ( Computer-Performance-Test )",
     "Primmarktest (Computer-Performance-Test)", {onWindow<runPrimmarktest>}},
    {"Frame5", ControlKind::Frame, "Form1", 4680, 1200, 6615, 3015, "Primzahlauflistung", "Primzahlauflistung"},
    {"List1", ControlKind::List, "Frame5", 240, 360, 6135, 1005, "", "Primzahlauflistung"},
    {"Frame6", ControlKind::Frame, "Frame5", 240, 2040, 6135, 855, "Zahlenbereich der zu überprüfen ist",
     "Zahlenbereich der zu überprüfen ist"},
    {"Label3", ControlKind::Label, "Frame6", 120, 240, 735, 255, "Von:", "Von"},
    {"Label4", ControlKind::Label, "Frame6", 3120, 240, 735, 255, "Bis:", "Bis"},
    {"Text3", ControlKind::TypedField, "Frame6", 120, 480, 2775, 285, "", "Von", {}, "Command5"},
    {"Text4", ControlKind::TypedField, "Frame6", 3120, 480, 2775, 285, "", "Bis", {}, "Command5"},
    {"Command5", ControlKind::Button, "Frame5", 240, 1440, 2895, 255, "Auflisten", "Auflisten",
     {onWindow<runRangeListing>}},
    {"Command6", ControlKind::Button, "Frame5", 3480, 1440, 2895, 255, "Als Textfile speichern", "Als Textfile speichern",
     {[](Form1& window) { runSaveListing(window, window.services()); }}},
    {"Command7", ControlKind::Button, "Form1", 1920, 840, 975, 375, "&Info", "Info",
     {[](Form1& window) { window.showInfo(); }, false}},
};
// clang-format on

}  // namespace teilomat
