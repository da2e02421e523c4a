// Every German message the commands show in a box, and the statistics line the primality check shares.
#pragma once

#include <string>

#include "numbers/NumberInput.h"

namespace teilomat::messages {

// The texts keep the program's historic wording, slips included ("Bitte
// gebe", "Mhz"): they are not to be corrected.

// Input.
inline constexpr const char* kGuard = "Nur Zahlen mit maximal 29 Stellen eingeben !!";
inline constexpr const char* kAbort = "Abbruch !!! Die getestete Zahl hat mehr als 29 Stellen !!!";
inline constexpr const char* kBelowTwo = "Primzahlen gibt es erst ab 2. Bitte gebe mindestens 2 als Zahl ein !!";
inline constexpr const char* kBelowTen =
    " 2, 3, 5, 7 sind die Primzahlen unter 10. Bitte gebe mindestens 10 als Zahl ein";
inline constexpr const char* kNotANumber = "Die Eingabe ist keine Zahl. Bitte eine ganze Zahl eingeben !!";
inline constexpr const char* kOutOfRange =
    "Die Zahl ist zu groß. Die größte Zahl, die geprüft werden kann, ist "
    "79228162514264337593543950335 !!";
inline constexpr const char* kFraction =
    "Nur ganze Zahlen eingeben !! Eine Zahl mit Nachkommastellen kann keine Primzahl sein.";

// The message for a reading that failed other than by the 29-digit guard.
inline const char* conversionFailure(InputStatus status) {
  return status == InputStatus::OutOfRange ? kOutOfRange : kNotANumber;
}

// Primmarktest: the answer lies beyond the range of doubles (refused before
// the workload), or Realpunkte times the clock does (found after it).
inline constexpr const char* kClockOutOfRange =
    "Die eingegebene Mhz-Zahl ist zu groß, mit ihr kann nicht gerechnet werden. "
    "Bitte eine kleinere Zahl eingeben !!";
inline constexpr const char* kScoreOverflow =
    "Die Vergleichspunkte sind für die eingegebene Mhz-Zahl zu groß und können nicht "
    "berechnet werden. Der Primmarktest wurde ohne Ergebnis beendet !!";

// Saving: the title of the error box; its text is "Fehler: ", the error
// number, CR LF and the system's description.
inline constexpr const char* kSaveErrorTitle = "Speichern Listbox";

// The statistics line of the primality test: "Es wurde 1 verschiedene Zahl
// ..." or "Es wurden <count> verschiedene Zahlen ...", then the duration.
inline std::string divisorsTriedText(const std::string& count, bool plural, const std::string& duration) {
  return (plural ? "Es wurden " + count + " verschiedene Zahlen" : "Es wurde " + count + " verschiedene Zahl") +
         " als Teiler probiert !! --- Dauer der Prüfung: " + duration;
}

}  // namespace teilomat::messages
