// The controls of the main window as data: name, kind, container, place in twips and start caption.
#pragma once

namespace teilomat {

enum class ControlKind {
  Button,       // QPushButton
  Frame,        // QGroupBox
  Label,        // QLabel, plain text, top left
  WrappedLabel, // QLabel that wraps words
  Field,        // InputField, any length
  TypedField,   // InputField that takes at most Form1::kInputLimit typed characters
  CheckBox,     // QCheckBox
  List,         // QListView over the listing's entries
};

struct ControlRow {
  const char* name;
  ControlKind kind;
  const char* parent;  // "Form1" for the window, else a control named further up
  int left, top, width, height;  // twips in the container
  const char* caption;           // caption or start text, UTF-8; "&" marks the access key
};

// In tab order: every container stands before what it holds, and Text1
// after Frame1 so that it is drawn over it. The start captions keep their
// historic wording, slips included ("die Falsche Anzahl", "25-Stellige
// zahlen"): they are not to be corrected.
inline constexpr ControlRow kForm1Controls[] = {
    {"Command1", ControlKind::Button, "Form1", 7080, 240, 2055, 495, "&Primprüfung"},
    {"Frame1", ControlKind::Frame, "Form1", 120, 120, 3015, 615, "Eingabe"},
    {"Text1", ControlKind::TypedField, "Form1", 240, 360, 2775, 285, "999999999999989"},
    {"Frame2", ControlKind::Frame, "Form1", 120, 1200, 4335, 1455, "Ausgabe"},
    {"Label1", ControlKind::WrappedLabel, "Frame2", 240, 240, 3855, 1095,
     "Funktioniert nur mit Zahlen mit maximal 15 Stellen !!! Bug wurde gefixt der die Falsche Anzahl an "
     "probierten Teilern wiedergibt !"},
    {"Frame3", ControlKind::Frame, "Form1", 120, 2760, 4335, 1455, "Console"},
    {"Label2", ControlKind::WrappedLabel, "Frame3", 240, 240, 3855, 1095,
     "Jetzt kann man Zahlen mit bis zu 29 Stellen testen lassen, und ich arbeite weiter um das Limit zu "
     "erhöhen !!  Aber Achtung kann ziemlich lange dauern um 25-Stellige zahlen zu überprüfen"
     "                              Jetzt mit starker Realtime Anzeige !!!"},
    {"Command2", ControlKind::Button, "Form1", 9240, 240, 2055, 495, "&Nächste Primzahl"},
    {"Check1", ControlKind::CheckBox, "Form1", 240, 840, 1335, 375, "Signalton an ?"},
    {"Frame4", ControlKind::Frame, "Form1", 3240, 120, 3615, 975, ""},
    {"Text2", ControlKind::Field, "Frame4", 120, 240, 3375, 285, ""},
    {"Command3", ControlKind::Button, "Frame4", 120, 600, 3375, 315, ""},
    {"Command4", ControlKind::Button, "Form1", 7080, 840, 4215, 255, "Primmarktest ( Computer-Performance-Test )"},
    {"Frame5", ControlKind::Frame, "Form1", 4680, 1200, 6615, 3015, "Primzahlauflistung"},
    {"List1", ControlKind::List, "Frame5", 240, 360, 6135, 1005, ""},
    {"Frame6", ControlKind::Frame, "Frame5", 240, 2040, 6135, 855, "Zahlenbereich der zu überprüfen ist"},
    {"Label3", ControlKind::Label, "Frame6", 120, 240, 735, 255, "Von:"},
    {"Label4", ControlKind::Label, "Frame6", 3120, 240, 735, 255, "Bis:"},
    {"Text3", ControlKind::TypedField, "Frame6", 120, 480, 2775, 285, ""},
    {"Text4", ControlKind::TypedField, "Frame6", 3120, 480, 2775, 285, ""},
    {"Command5", ControlKind::Button, "Frame5", 240, 1440, 2895, 255, "Auflisten"},
    {"Command6", ControlKind::Button, "Frame5", 3480, 1440, 2895, 255, "Als Textfile speichern"},
    {"Command7", ControlKind::Button, "Form1", 1920, 840, 975, 375, "&Info"},
};

}  // namespace teilomat
