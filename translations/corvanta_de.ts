<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AboutWindow</name>
    <message>
        <source>About Corvanta UPS Monitor</source>
        <translation>Über Corvanta UPS Monitor</translation>
    </message>
    <message>
        <source>Shows the state of your UPS: power source, battery, measurements and any shutdown that is coming. The Corvanta UPS agent talks to the UPS and shuts the computer down.</source>
        <translation>Zeigt den Zustand Ihrer USV: Stromquelle, Batterie, Messwerte und jede anstehende Abschaltung. Der Corvanta-USV-Agent spricht mit der USV und fährt den Computer herunter.</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Program icon</source>
        <translation>Programmsymbol</translation>
    </message>
</context>
<context>
    <name>ActionsWindow</name>
    <message>
        <source>Actions</source>
        <translation>Aktionen</translation>
    </message>
    <message>
        <source>After a power failure, shut down in</source>
        <translation>Nach Stromausfall herunterfahren in</translation>
    </message>
    <message>
        <source>min</source>
        <translation>min</translation>
    </message>
    <message>
        <source>On low battery, shut down in</source>
        <translation>Bei schwacher Batterie herunterfahren in</translation>
    </message>
    <message>
        <source>For a scheduled shutdown, shut down in</source>
        <translation>Geplante Abschaltung: herunterfahren in</translation>
    </message>
    <message>
        <source>Run a command file before the shutdown</source>
        <translation>Vor dem Herunterfahren eine Befehlsdatei ausführen</translation>
    </message>
    <message>
        <source>Command file:</source>
        <translation>Befehlsdatei:</translation>
    </message>
    <message>
        <source>Browse…</source>
        <translation>Durchsuchen…</translation>
    </message>
    <message>
        <source>Command time:</source>
        <translation>Befehlsdauer:</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Minutes after a power failure</source>
        <translation>Minuten nach einem Stromausfall</translation>
    </message>
    <message>
        <source>Minutes on low battery</source>
        <translation>Minuten bei schwacher Batterie</translation>
    </message>
    <message>
        <source>Minutes before a scheduled shutdown</source>
        <translation>Minuten vor einer geplanten Abschaltung</translation>
    </message>
    <message>
        <source>Browse for the command file</source>
        <translation>Befehlsdatei auswählen</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>%1 needs a value</source>
        <translation>%1 braucht einen Wert</translation>
    </message>
    <message>
        <source>%1 takes no value</source>
        <translation>%1 nimmt keinen Wert</translation>
    </message>
    <message>
        <source>--folder needs a directory</source>
        <translation>--folder braucht einen Ordner</translation>
    </message>
    <message>
        <source>--snapshot needs a file name</source>
        <translation>--snapshot braucht einen Dateinamen</translation>
    </message>
    <message>
        <source>--after needs a number of seconds from 0 to 86400, not &quot;%1&quot;</source>
        <translation>--after braucht eine Zahl von Sekunden von 0 bis 86400, nicht „%1“</translation>
    </message>
    <message>
        <source>unknown option &quot;%1&quot;</source>
        <translation>unbekannte Option „%1“</translation>
    </message>
    <message>
        <source>--after goes with --snapshot</source>
        <translation>--after gehört zu --snapshot</translation>
    </message>
    <message>
        <source>cannot write the snapshot %1</source>
        <translation>das Bild %1 kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>the main window cannot be built from the interface description</source>
        <translation>das Hauptfenster kann nicht aus der Oberflächenbeschreibung erstellt werden</translation>
    </message>
    <message>
        <source>the main window has no tab control</source>
        <translation>das Hauptfenster hat keine Registerkarten</translation>
    </message>
    <message>
        <source>usage: corvanta-monitor [--folder DIR] [--hidden]
                        [--snapshot FILE.png [--after SECONDS]] [--help] [--version]

  --folder DIR        program folder with the exchange files (default: the
                      CORVANTA_FOLDER environment variable, else
                      /Applications/Corvanta)
  --hidden            start in the system tray, the main window closed (it
                      opens all the same where no tray comes within 10 s)
  --snapshot FILE     run, then write a PNG of the main window and exit
  --after SECONDS     when to take the snapshot (default 3)
  --help              show this text
  --version           show the version
</source>
        <translation>Aufruf: corvanta-monitor [--folder ORDNER] [--hidden]
                         [--snapshot DATEI.png [--after SEKUNDEN]] [--help] [--version]

  --folder ORDNER     Programmordner mit den Austauschdateien (Vorgabe: die
                      Umgebungsvariable CORVANTA_FOLDER, sonst
                      /Applications/Corvanta)
  --hidden            im Infobereich starten, das Hauptfenster geschlossen (es
                      öffnet sich trotzdem, wenn binnen 10 s kein Infobereich
                      erscheint)
  --snapshot DATEI    starten, dann ein PNG des Hauptfensters schreiben und beenden
  --after SEKUNDEN    wann das Bild aufgenommen wird (Vorgabe 3)
  --help              diesen Text zeigen
  --version           die Version zeigen
</translation>
    </message>
</context>
<context>
    <name>Desktop</name>
    <message>
        <source>Cancel shutdown</source>
        <translation>Abschaltung abbrechen</translation>
    </message>
    <message>
        <source>Corvanta UPS Monitor keeps running</source>
        <translation>Corvanta UPS Monitor läuft weiter</translation>
    </message>
    <message>
        <source>It watches the UPS from the tray; Quit in its menu ends it.</source>
        <translation>Er überwacht die USV aus dem Infobereich; „Beenden“ in seinem Menü beendet ihn.</translation>
    </message>
    <message>
        <source>%1 h %2 min</source>
        <translation>%1 h %2 min</translation>
    </message>
    <message>
        <source>%1 min %2 s</source>
        <translation>%1 min %2 s</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>%1 left</source>
        <translation>noch %1</translation>
    </message>
    <message>
        <source>%1 min left</source>
        <translation>noch %1 min</translation>
    </message>
    <message>
        <source>Battery %1</source>
        <translation>Batterie %1</translation>
    </message>
    <message>
        <source>Not logged in to the UPS server: a primary will not wait for this computer</source>
        <translation>Nicht am USV-Server angemeldet: ein Primärsystem wartet nicht auf diesen Computer</translation>
    </message>
    <message>
        <source>Primary</source>
        <translation>Primär</translation>
    </message>
    <message>
        <source>Secondary</source>
        <translation>Sekundär</translation>
    </message>
    <message>
        <source>no other computer on this UPS</source>
        <translation>kein anderer Computer an dieser USV</translation>
    </message>
    <message>
        <source>1 other computer on this UPS</source>
        <translation>1 weiterer Computer an dieser USV</translation>
    </message>
    <message>
        <source>%1 other computers on this UPS</source>
        <translation>%1 weitere Computer an dieser USV</translation>
    </message>
    <message>
        <source>Waiting for the agent</source>
        <translation>Warten auf den Agenten</translation>
    </message>
    <message>
        <source>last known: on battery</source>
        <translation>zuletzt: Batteriebetrieb</translation>
    </message>
    <message>
        <source>last known: on mains</source>
        <translation>zuletzt: Netzbetrieb</translation>
    </message>
    <message>
        <source>Communication lost</source>
        <translation>Verbindung verloren</translation>
    </message>
    <message>
        <source>shutting down</source>
        <translation>fährt herunter</translation>
    </message>
    <message>
        <source>Shutting down</source>
        <translation>Fährt herunter</translation>
    </message>
    <message>
        <source>On battery</source>
        <translation>Batteriebetrieb</translation>
    </message>
    <message>
        <source>On mains</source>
        <translation>Netzbetrieb</translation>
    </message>
    <message>
        <source>battery low</source>
        <translation>Batterie schwach</translation>
    </message>
    <message>
        <source>replace battery</source>
        <translation>Batterie ersetzen</translation>
    </message>
    <message>
        <source>charging</source>
        <translation>lädt</translation>
    </message>
    <message>
        <source>load %1</source>
        <translation>Last %1</translation>
    </message>
    <message>
        <source>shutdown in %1</source>
        <translation>Abschaltung in %1</translation>
    </message>
    <message>
        <source>No values from the UPS agent: the power state is unknown.</source>
        <translation>Keine Werte vom USV-Agenten: der Stromzustand ist unbekannt.</translation>
    </message>
    <message>
        <source>Communication restored</source>
        <translation>Verbindung wiederhergestellt</translation>
    </message>
    <message>
        <source>The UPS agent reports again.</source>
        <translation>Der USV-Agent meldet sich wieder.</translation>
    </message>
    <message>
        <source>Power failure</source>
        <translation>Stromausfall</translation>
    </message>
    <message>
        <source>The UPS runs on its battery.</source>
        <translation>Die USV läuft auf Batterie.</translation>
    </message>
    <message>
        <source>The UPS runs on mains again after %1.</source>
        <translation>Die USV läuft nach %1 wieder am Netz.</translation>
    </message>
    <message>
        <source>The UPS runs on mains again.</source>
        <translation>Die USV läuft wieder am Netz.</translation>
    </message>
    <message>
        <source>Power restored</source>
        <translation>Strom wieder da</translation>
    </message>
    <message>
        <source>Battery low</source>
        <translation>Batterie schwach</translation>
    </message>
    <message>
        <source>The battery is nearly empty.</source>
        <translation>Die Batterie ist fast leer.</translation>
    </message>
    <message>
        <source>Replace battery</source>
        <translation>Batterie ersetzen</translation>
    </message>
    <message>
        <source>The UPS asks for a new battery.</source>
        <translation>Die USV verlangt eine neue Batterie.</translation>
    </message>
    <message>
        <source>Overload</source>
        <translation>Überlast</translation>
    </message>
    <message>
        <source>The UPS carries more than it can.</source>
        <translation>Die USV trägt mehr, als sie kann.</translation>
    </message>
    <message>
        <source>Overheat</source>
        <translation>Überhitzung</translation>
    </message>
    <message>
        <source>The UPS is too hot.</source>
        <translation>Die USV ist zu heiß.</translation>
    </message>
    <message>
        <source>The computer shuts down in %1.</source>
        <translation>Der Computer fährt in %1 herunter.</translation>
    </message>
    <message>
        <source>The UPS&apos;s primary orders this computer to shut down now</source>
        <translation>Das Primärsystem der USV befiehlt diesem Computer, jetzt herunterzufahren</translation>
    </message>
    <message>
        <source>The computer is shutting down now.</source>
        <translation>Der Computer fährt jetzt herunter.</translation>
    </message>
    <message>
        <source>Shutdown pending</source>
        <translation>Abschaltung steht bevor</translation>
    </message>
    <message>
        <source>Shutdown in less than a minute</source>
        <translation>Abschaltung in weniger als einer Minute</translation>
    </message>
    <message>
        <source>Shutdown cancelled</source>
        <translation>Abschaltung abgebrochen</translation>
    </message>
    <message>
        <source>The computer keeps running.</source>
        <translation>Der Computer läuft weiter.</translation>
    </message>
    <message>
        <source>&amp;Show</source>
        <translation>A&amp;nzeigen</translation>
    </message>
    <message>
        <source>&amp;Event log…</source>
        <translation>&amp;Ereignisprotokoll…</translation>
    </message>
    <message>
        <source>&amp;History…</source>
        <translation>&amp;Verlauf…</translation>
    </message>
    <message>
        <source>&amp;Cancel shutdown</source>
        <translation>Abschaltung &amp;abbrechen</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>%1%</source>
        <translation>%1 %</translation>
    </message>
    <message>
        <source>Battery replacement was due on %1.</source>
        <translation>Der Batteriewechsel war am %1 fällig.</translation>
    </message>
</context>
<context>
    <name>Dialogs</name>
    <message>
        <source>Not saved</source>
        <translation>Nicht gespeichert</translation>
    </message>
    <message>
        <source>The calendar could not be saved: %1
Close again to close the window without saving it.</source>
        <translation>Der Kalender konnte nicht gespeichert werden: %1
Erneut schließen, um das Fenster ohne Speichern zu schließen.</translation>
    </message>
    <message>
        <source>The settings could not be saved: %1</source>
        <translation>Die Einstellungen konnten nicht gespeichert werden: %1</translation>
    </message>
    <message>
        <source>Agent not told</source>
        <translation>Agent nicht benachrichtigt</translation>
    </message>
    <message>
        <source>The calendar was saved, but the agent could not be told: %1</source>
        <translation>Der Kalender wurde gespeichert, aber der Agent konnte nicht benachrichtigt werden: %1</translation>
    </message>
    <message>
        <source>The settings were saved, but the agent could not be told: %1</source>
        <translation>Die Einstellungen wurden gespeichert, aber der Agent konnte nicht benachrichtigt werden: %1</translation>
    </message>
</context>
<context>
    <name>EventLogWindow</name>
    <message>
        <source>Event log</source>
        <translation>Ereignisprotokoll</translation>
    </message>
</context>
<context>
    <name>Files</name>
    <message>
        <source>cannot write %1: no calendar is loaded</source>
        <translation>%1 kann nicht geschrieben werden: kein Kalender geladen</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>user %1 or group %2</source>
        <translation>Benutzer %1 oder Gruppe %2</translation>
    </message>
    <message>
        <source>user %1</source>
        <translation>Benutzer %1</translation>
    </message>
    <message>
        <source>the program folder must not be empty</source>
        <translation>der Programmordner darf nicht leer sein</translation>
    </message>
    <message>
        <source>the program folder path is %1 bytes long; at most %2 fit: %3</source>
        <translation>der Pfad des Programmordners ist %1 Bytes lang; höchstens %2 passen: %3</translation>
    </message>
</context>
<context>
    <name>History</name>
    <message>
        <source>a FIFO</source>
        <translation>eine benannte Pipe (FIFO)</translation>
    </message>
    <message>
        <source>a folder</source>
        <translation>ein Ordner</translation>
    </message>
    <message>
        <source>a device or socket</source>
        <translation>ein Gerät oder Socket</translation>
    </message>
    <message>
        <source>a file with %1 links</source>
        <translation>eine Datei mit %1 harten Links</translation>
    </message>
    <message>
        <source>user %1</source>
        <translation>Benutzer %1</translation>
    </message>
    <message>
        <source>others</source>
        <translation>alle Benutzer</translation>
    </message>
    <message>
        <source>its group</source>
        <translation>seine Gruppe</translation>
    </message>
    <message>
        <source>%1 is in order</source>
        <translation>%1 ist in Ordnung</translation>
    </message>
    <message>
        <source>%1 does not exist</source>
        <translation>%1 existiert nicht</translation>
    </message>
    <message>
        <source>%1 holds no history yet</source>
        <translation>%1 enthält noch keinen Verlauf</translation>
    </message>
    <message>
        <source>%1 is not a regular file but %2</source>
        <translation>%1 ist keine gewöhnliche Datei, sondern %2</translation>
    </message>
    <message>
        <source>%1 is owned by %2</source>
        <translation>%1 gehört %2</translation>
    </message>
    <message>
        <source>%1 is writable by %2</source>
        <translation>%1 ist beschreibbar für %2</translation>
    </message>
    <message>
        <source>%1 holds more than the agent&apos;s history (%2)</source>
        <translation>%1 enthält mehr als den Verlauf des Agenten (%2)</translation>
    </message>
    <message>
        <source>%1 is damaged or not a database (%2)</source>
        <translation>%1 ist beschädigt oder keine Datenbank (%2)</translation>
    </message>
    <message>
        <source>%1 was made by a newer agent (%2)</source>
        <translation>%1 wurde von einem neueren Agenten angelegt (%2)</translation>
    </message>
    <message>
        <source>%1 is locked by another program (%2)</source>
        <translation>%1 ist von einem anderen Programm gesperrt (%2)</translation>
    </message>
    <message>
        <source>%1 took too long or too much memory to answer (%2)</source>
        <translation>%1 brauchte für die Antwort zu lange oder zu viel Speicher (%2)</translation>
    </message>
    <message>
        <source>%1 cannot be used (%2)</source>
        <translation>%1 kann nicht verwendet werden (%2)</translation>
    </message>
    <message>
        <source>more than %1 events</source>
        <translation>mehr als %1 Ereignisse</translation>
    </message>
    <message>
        <source>more than %1 samples</source>
        <translation>mehr als %1 Messpunkte</translation>
    </message>
</context>
<context>
    <name>HistoryWindow</name>
    <message>
        <source>running</source>
        <translation>läuft</translation>
    </message>
    <message>
        <source>cancelled</source>
        <translation>abgebrochen</translation>
    </message>
    <message>
        <source>power back</source>
        <translation>Strom zurück</translation>
    </message>
    <message>
        <source>expired</source>
        <translation>abgelaufen</translation>
    </message>
    <message>
        <source>shutdown run</source>
        <translation>heruntergefahren</translation>
    </message>
    <message>
        <source>No history yet: the agent has not recorded any.</source>
        <translation>Noch kein Verlauf: der Agent hat noch nichts aufgezeichnet.</translation>
    </message>
    <message>
        <source>The history was written by a newer agent and cannot be read here.</source>
        <translation>Der Verlauf stammt von einem neueren Agenten und kann hier nicht gelesen werden.</translation>
    </message>
    <message>
        <source>The history cannot be read: %1.</source>
        <translation>Der Verlauf kann nicht gelesen werden: %1.</translation>
    </message>
    <message>
        <source>Last hour</source>
        <translation>Letzte Stunde</translation>
    </message>
    <message>
        <source>Last day</source>
        <translation>Letzter Tag</translation>
    </message>
    <message>
        <source>Last week</source>
        <translation>Letzte Woche</translation>
    </message>
    <message>
        <source>Last month</source>
        <translation>Letzter Monat</translation>
    </message>
    <message>
        <source>Last year</source>
        <translation>Letztes Jahr</translation>
    </message>
    <message>
        <source>in the last hour</source>
        <translation>in der letzten Stunde</translation>
    </message>
    <message>
        <source>in the last day</source>
        <translation>am letzten Tag</translation>
    </message>
    <message>
        <source>in the last week</source>
        <translation>in der letzten Woche</translation>
    </message>
    <message>
        <source>in the last month</source>
        <translation>im letzten Monat</translation>
    </message>
    <message>
        <source>in the last year</source>
        <translation>im letzten Jahr</translation>
    </message>
    <message>
        <source>Battery: the history holds too many outages to compare the runtimes in time.</source>
        <translation>Batterie: der Verlauf enthält zu viele Ausfälle, um die Laufzeiten rechtzeitig zu vergleichen.</translation>
    </message>
    <message>
        <source>Battery: %1.</source>
        <translation>Batterie: %1.</translation>
    </message>
    <message>
        <source>Battery: two outages that begin on a full battery are needed to compare its runtime (%1 so far).</source>
        <translation>Batterie: um die Laufzeit zu vergleichen, braucht es zwei Ausfälle, die mit voller Batterie beginnen (bisher %1).</translation>
    </message>
    <message>
        <source>Battery: %1; no later full-battery outage at a comparable load.</source>
        <translation>Batterie: %1; kein späterer Ausfall mit voller Batterie bei vergleichbarer Last.</translation>
    </message>
    <message>
        <source>Battery runtime: %1, then %2.</source>
        <translation>Batterielaufzeit: %1, dann %2.</translation>
    </message>
    <message>
        <source>Charge %</source>
        <translation>Ladung %</translation>
    </message>
    <message>
        <source>Load %</source>
        <translation>Last %</translation>
    </message>
    <message>
        <source>Input V</source>
        <translation>Eingang V</translation>
    </message>
    <message>
        <source>History</source>
        <translation>Verlauf</translation>
    </message>
    <message>
        <source>Export table (CSV)…</source>
        <translation>Tabelle exportieren (CSV)…</translation>
    </message>
    <message>
        <source>Export chart (PNG)…</source>
        <translation>Diagramm exportieren (PNG)…</translation>
    </message>
    <message>
        <source>Reading the history…</source>
        <translation>Verlauf wird gelesen…</translation>
    </message>
    <message>
        <source>On battery</source>
        <translation>Batteriebetrieb</translation>
    </message>
    <message>
        <source>%d V</source>
        <translation>%d V</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Beginn</translation>
    </message>
    <message>
        <source>End</source>
        <translation>Ende</translation>
    </message>
    <message>
        <source>Duration</source>
        <translation>Dauer</translation>
    </message>
    <message>
        <source>Lowest charge</source>
        <translation>Tiefste Ladung</translation>
    </message>
    <message>
        <source>Countdown</source>
        <translation>Countdown</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>none</source>
        <translation>keiner</translation>
    </message>
    <message>
        <source>on battery</source>
        <translation>auf Batterie</translation>
    </message>
    <message>
        <source>%1 outage %2: %3 on battery, longest %4%5</source>
        <translation>%1 Ausfall %2: %3 auf Batterie, längster %4%5</translation>
    </message>
    <message>
        <source>%1 outages %2: %3 on battery, longest %4%5</source>
        <translation>%1 Ausfälle %2: %3 auf Batterie, längster %4%5</translation>
    </message>
    <message>
        <source> (* began earlier: counted from the range&apos;s start)</source>
        <translation> (* begann früher: ab Beginn des Zeitraums gezählt)</translation>
    </message>
    <message>
        <source>%1   charge %2, load %3, input %4%5</source>
        <translation>%1   Ladung %2, Last %3, Eingang %4%5</translation>
    </message>
    <message>
        <source>%1 V</source>
        <translation>%1 V</translation>
    </message>
    <message>
        <source>   (on battery)</source>
        <translation>   (auf Batterie)</translation>
    </message>
    <message>
        <source>Export chart</source>
        <translation>Diagramm exportieren</translation>
    </message>
    <message>
        <source>Export outage table</source>
        <translation>Ausfalltabelle exportieren</translation>
    </message>
    <message>
        <source>PNG image (*.png)</source>
        <translation>PNG-Bild (*.png)</translation>
    </message>
    <message>
        <source>CSV file (*.csv)</source>
        <translation>CSV-Datei (*.csv)</translation>
    </message>
    <message>
        <source>the last hour</source>
        <translation>die letzte Stunde</translation>
    </message>
    <message>
        <source>the last day</source>
        <translation>der letzte Tag</translation>
    </message>
    <message>
        <source>the last week</source>
        <translation>die letzte Woche</translation>
    </message>
    <message>
        <source>the last month</source>
        <translation>der letzte Monat</translation>
    </message>
    <message>
        <source>the last year</source>
        <translation>das letzte Jahr</translation>
    </message>
    <message>
        <source>The history is too large to read in time: %1 holds %2. A shorter range may be read.</source>
        <translation>Der Verlauf ist zu groß, um rechtzeitig gelesen zu werden: %1 enthält %2. Ein kürzerer Zeitraum lässt sich lesen.</translation>
    </message>
    <message>
        <source>&amp;Range:</source>
        <translation>&amp;Zeitraum:</translation>
    </message>
    <message>
        <source>Chart of the battery charge and the voltages</source>
        <translation>Diagramm der Batterieladung und der Spannungen</translation>
    </message>
    <message>
        <source>The history is too large to read in time: %1 took too long to answer. A shorter range may be read.</source>
        <translation>Der Verlauf ist zu groß, um rechtzeitig gelesen zu werden: %1 hat zu lange für die Antwort gebraucht. Ein kürzerer Zeitraum lässt sich lesen.</translation>
    </message>
    <message>
        <source>The history cannot be read: %1 is damaged or not a database.</source>
        <translation>Der Verlauf kann nicht gelesen werden: %1 ist beschädigt oder keine Datenbank.</translation>
    </message>
    <message>
        <source>The history cannot be read: another program holds %1. It may be read again in a moment.</source>
        <translation>Der Verlauf kann nicht gelesen werden: ein anderes Programm belegt %1. In einem Moment lässt er sich wieder lesen.</translation>
    </message>
    <message>
        <source>The history cannot be read: %1 cannot be opened or read from the disk.</source>
        <translation>Der Verlauf kann nicht gelesen werden: %1 lässt sich nicht öffnen oder nicht vom Datenträger lesen.</translation>
    </message>
    <message>
        <source>%1 min at %2% load on %3</source>
        <translation>%1 min bei %2 % Last am %3</translation>
    </message>
    <message>
        <source>Battery runtime: %1, then %2 (%3% of the first).</source>
        <translation>Batterielaufzeit: %1, dann %2 (%3 % der ersten).</translation>
    </message>
    <message>
        <source>%1%</source>
        <translation>%1 %</translation>
    </message>
    <message>
        <source>%d%%</source>
        <translation>%d %%</translation>
    </message>
    <message>
        <source>Chart saved to %1</source>
        <translation>Diagramm gespeichert unter %1</translation>
    </message>
    <message>
        <source>Table saved to %1</source>
        <translation>Tabelle gespeichert unter %1</translation>
    </message>
    <message>
        <source>Not saved</source>
        <translation>Nicht gespeichert</translation>
    </message>
    <message>
        <source>%1 could not be written.</source>
        <translation>%1 konnte nicht geschrieben werden.</translation>
    </message>
    <message>
        <source>Power history of %1: %2 to %3</source>
        <translation>Verlauf der Stromversorgung für %1: %2 bis %3</translation>
    </message>
    <message>
        <source>Point at the chart, or give it the focus and use the arrow keys, to read its values.</source>
        <translation>Zeigen Sie auf das Diagramm oder geben Sie ihm den Fokus und nutzen Sie die Pfeiltasten, um seine Werte zu lesen.</translation>
    </message>
</context>
<context>
    <name>LogManageWindow</name>
    <message>
        <source>Log entries to keep:</source>
        <translation>Einträge behalten:</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Log settings</source>
        <translation>Protokolleinstellungen</translation>
    </message>
</context>
<context>
    <name>MainMenu</name>
    <message>
        <source>&amp;Monitor</source>
        <translation>&amp;Monitor</translation>
    </message>
    <message>
        <source>&amp;Settings</source>
        <translation>&amp;Einstellungen</translation>
    </message>
    <message>
        <source>&amp;UPS</source>
        <translation>&amp;USV</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;User guide</source>
        <translation>Benutzer&amp;handbuch</translation>
    </message>
    <message>
        <source>&amp;About Corvanta UPS Monitor</source>
        <translation>Ü&amp;ber Corvanta UPS Monitor</translation>
    </message>
    <message>
        <source>&amp;History…</source>
        <translation>&amp;Verlauf…</translation>
    </message>
    <message>
        <source>&amp;Preferences…</source>
        <translation>&amp;Einstellungen…</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>&amp;Property…</source>
        <translation>&amp;Eigenschaften…</translation>
    </message>
    <message>
        <source>&amp;Actions…</source>
        <translation>&amp;Aktionen…</translation>
    </message>
    <message>
        <source>&amp;Schedule…</source>
        <translation>&amp;Zeitplan…</translation>
    </message>
    <message>
        <source>&amp;Log settings…</source>
        <translation>&amp;Protokolleinstellungen…</translation>
    </message>
    <message>
        <source>&amp;Event log…</source>
        <translation>&amp;Ereignisprotokoll…</translation>
    </message>
    <message>
        <source>&amp;Cancel shutdown</source>
        <translation>Abschaltung &amp;abbrechen</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Communication:</source>
        <translation>Verbindung:</translation>
    </message>
    <message>
        <source>Power source:</source>
        <translation>Stromquelle:</translation>
    </message>
    <message>
        <source>Battery status:</source>
        <translation>Batteriezustand:</translation>
    </message>
    <message>
        <source>Battery level:</source>
        <translation>Ladestand:</translation>
    </message>
    <message>
        <source>Shutdown countdown</source>
        <translation>Abschalt-Countdown</translation>
    </message>
    <message>
        <source>None pending</source>
        <translation>Keine anstehend</translation>
    </message>
    <message>
        <source>Shutdown in</source>
        <translation>Abschaltung in</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Meter</source>
        <translation>Messgerät</translation>
    </message>
    <message>
        <source>Maintenance</source>
        <translation>Wartung</translation>
    </message>
    <message>
        <source>Communication lost</source>
        <translation>Verbindung verloren</translation>
    </message>
    <message>
        <source>Power failure</source>
        <translation>Stromausfall</translation>
    </message>
    <message>
        <source>Battery low</source>
        <translation>Batterie schwach</translation>
    </message>
    <message>
        <source>Replace battery</source>
        <translation>Batterie ersetzen</translation>
    </message>
    <message>
        <source>Overload</source>
        <translation>Überlast</translation>
    </message>
    <message>
        <source>Overheat</source>
        <translation>Überhitzung</translation>
    </message>
    <message>
        <source>Beeper on</source>
        <translation>Signalton an</translation>
    </message>
    <message>
        <source>Meter shows:</source>
        <translation>Anzeige zeigt:</translation>
    </message>
    <message>
        <source>Second selection:</source>
        <translation>Zweite Auswahl:</translation>
    </message>
    <message>
        <source>Kept in the settings for the agent; not shown on the meter.</source>
        <translation>Für den Agenten in den Einstellungen gespeichert; nicht auf der Anzeige.</translation>
    </message>
    <message>
        <source>Last battery replacement:</source>
        <translation>Letzter Batteriewechsel:</translation>
    </message>
    <message>
        <source>Next battery replacement:</source>
        <translation>Nächster Batteriewechsel:</translation>
    </message>
    <message>
        <source>Next scheduled shutdown:</source>
        <translation>Nächste geplante Abschaltung:</translation>
    </message>
    <message>
        <source>Shutting down</source>
        <translation>Fährt herunter</translation>
    </message>
    <message>
        <source>%1%</source>
        <translation>%1 %</translation>
    </message>
    <message>
        <source>Waiting for the agent…</source>
        <translation>Warten auf den Agenten…</translation>
    </message>
    <message>
        <source>Disconnect</source>
        <translation>Getrennt</translation>
    </message>
    <message>
        <source>Connected</source>
        <translation>Verbunden</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>Unbekannt</translation>
    </message>
    <message>
        <source>Battery</source>
        <translation>Batterie</translation>
    </message>
    <message>
        <source>Normal</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>Need Replace</source>
        <translation>Ersetzen</translation>
    </message>
    <message>
        <source>Low</source>
        <translation>Schwach</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Keine</translation>
    </message>
    <message>
        <source>Not sent</source>
        <translation>Nicht gesendet</translation>
    </message>
    <message>
        <source>The request to cancel the shutdown could not be sent: %1</source>
        <translation>Die Bitte, die Abschaltung abzubrechen, konnte nicht gesendet werden: %1</translation>
    </message>
    <message>
        <source>No user guide</source>
        <translation>Kein Benutzerhandbuch</translation>
    </message>
    <message>
        <source>No web browser could open the user guide, %1.</source>
        <translation>Kein Webbrowser konnte das Benutzerhandbuch %1 öffnen.</translation>
    </message>
    <message>
        <source>The user guide cannot be opened: %1 is missing.</source>
        <translation>Das Benutzerhandbuch kann nicht geöffnet werden: %1 fehlt.</translation>
    </message>
</context>
<context>
    <name>Measurement</name>
    <message>
        <source>Battery Voltage</source>
        <translation>Batteriespannung</translation>
    </message>
    <message>
        <source>Battery Current</source>
        <translation>Batteriestrom</translation>
    </message>
    <message>
        <source>Battery Level</source>
        <translation>Batterieladung</translation>
    </message>
    <message>
        <source>Input Frequency</source>
        <translation>Eingangsfrequenz</translation>
    </message>
    <message>
        <source>Input Voltage</source>
        <translation>Eingangsspannung</translation>
    </message>
    <message>
        <source>Input Current</source>
        <translation>Eingangsstrom</translation>
    </message>
    <message>
        <source>Input Frequency2</source>
        <translation>Eingangsfrequenz 2</translation>
    </message>
    <message>
        <source>Input Voltage2</source>
        <translation>Eingangsspannung 2</translation>
    </message>
    <message>
        <source>Input Current2</source>
        <translation>Eingangsstrom 2</translation>
    </message>
    <message>
        <source>Input Frequency3</source>
        <translation>Eingangsfrequenz 3</translation>
    </message>
    <message>
        <source>Input Voltage3</source>
        <translation>Eingangsspannung 3</translation>
    </message>
    <message>
        <source>Input Current3</source>
        <translation>Eingangsstrom 3</translation>
    </message>
    <message>
        <source>Output Frequency</source>
        <translation>Ausgangsfrequenz</translation>
    </message>
    <message>
        <source>Output Voltage</source>
        <translation>Ausgangsspannung</translation>
    </message>
    <message>
        <source>Output Current</source>
        <translation>Ausgangsstrom</translation>
    </message>
    <message>
        <source>Output Loading</source>
        <translation>Ausgangslast</translation>
    </message>
    <message>
        <source>Output Voltage2</source>
        <translation>Ausgangsspannung 2</translation>
    </message>
    <message>
        <source>Output Current2</source>
        <translation>Ausgangsstrom 2</translation>
    </message>
    <message>
        <source>Output Loading2</source>
        <translation>Ausgangslast 2</translation>
    </message>
    <message>
        <source>Output Voltage3</source>
        <translation>Ausgangsspannung 3</translation>
    </message>
    <message>
        <source>Output Current3</source>
        <translation>Ausgangsstrom 3</translation>
    </message>
    <message>
        <source>Output Loading3</source>
        <translation>Ausgangslast 3</translation>
    </message>
    <message>
        <source>Bypass Frequency</source>
        <translation>Bypass-Frequenz</translation>
    </message>
    <message>
        <source>Bypass Voltage</source>
        <translation>Bypass-Spannung</translation>
    </message>
    <message>
        <source>Bypass Current</source>
        <translation>Bypass-Strom</translation>
    </message>
    <message>
        <source>Bypass Voltage2</source>
        <translation>Bypass-Spannung 2</translation>
    </message>
    <message>
        <source>Bypass Current2</source>
        <translation>Bypass-Strom 2</translation>
    </message>
    <message>
        <source>Bypass Voltage3</source>
        <translation>Bypass-Spannung 3</translation>
    </message>
    <message>
        <source>Bypass Current3</source>
        <translation>Bypass-Strom 3</translation>
    </message>
    <message>
        <source>Temperature</source>
        <translation>Temperatur</translation>
    </message>
</context>
<context>
    <name>Panel</name>
    <message>
        <source>%1 volts</source>
        <translation>%1 Volt</translation>
    </message>
    <message>
        <source>%1 amperes</source>
        <translation>%1 Ampere</translation>
    </message>
    <message>
        <source>%1 percent</source>
        <translation>%1 Prozent</translation>
    </message>
    <message>
        <source>%1 hertz</source>
        <translation>%1 Hertz</translation>
    </message>
    <message>
        <source>%1 degrees Celsius</source>
        <translation>%1 Grad Celsius</translation>
    </message>
    <message>
        <source>1 minute</source>
        <translation>1 Minute</translation>
    </message>
    <message>
        <source>%1 minutes</source>
        <translation>%1 Minuten</translation>
    </message>
    <message>
        <source>1 second</source>
        <translation>1 Sekunde</translation>
    </message>
    <message>
        <source>%1 seconds</source>
        <translation>%1 Sekunden</translation>
    </message>
    <message>
        <source>%1 %2</source>
        <translation>%1 %2</translation>
    </message>
    <message>
        <source>not set</source>
        <translation>nicht festgelegt</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>unbekannt</translation>
    </message>
    <message>
        <source>waiting for the agent</source>
        <translation>warten auf den Agenten</translation>
    </message>
    <message>
        <source>disconnected</source>
        <translation>getrennt</translation>
    </message>
    <message>
        <source>connected</source>
        <translation>verbunden</translation>
    </message>
    <message>
        <source>battery</source>
        <translation>Batterie</translation>
    </message>
    <message>
        <source>normal</source>
        <translation>normal</translation>
    </message>
    <message>
        <source>needs replacing</source>
        <translation>muss ersetzt werden</translation>
    </message>
    <message>
        <source>low</source>
        <translation>schwach</translation>
    </message>
    <message>
        <source>Shutdown countdown</source>
        <translation>Abschalt-Countdown</translation>
    </message>
    <message>
        <source>shutting down</source>
        <translation>fährt herunter</translation>
    </message>
    <message>
        <source>Shutting down</source>
        <translation>Fährt herunter</translation>
    </message>
    <message>
        <source>none pending</source>
        <translation>keine anstehend</translation>
    </message>
    <message>
        <source>No shutdown pending</source>
        <translation>Keine Abschaltung anstehend</translation>
    </message>
    <message>
        <source>time unknown</source>
        <translation>Zeitpunkt unbekannt</translation>
    </message>
    <message>
        <source>Shutdown pending, time unknown</source>
        <translation>Abschaltung steht bevor, Zeitpunkt unbekannt</translation>
    </message>
    <message>
        <source>Shutdown in %1</source>
        <translation>Abschaltung in %1</translation>
    </message>
    <message>
        <source>Meter</source>
        <translation>Messgerät</translation>
    </message>
    <message>
        <source>Communication lost</source>
        <translation>Verbindung verloren</translation>
    </message>
    <message>
        <source>Power failure</source>
        <translation>Stromausfall</translation>
    </message>
    <message>
        <source>Battery low</source>
        <translation>Batterie schwach</translation>
    </message>
    <message>
        <source>Replace battery</source>
        <translation>Batterie ersetzen</translation>
    </message>
    <message>
        <source>Overload</source>
        <translation>Überlast</translation>
    </message>
    <message>
        <source>Overheat</source>
        <translation>Überhitzung</translation>
    </message>
    <message>
        <source>Beeper</source>
        <translation>Signalton</translation>
    </message>
    <message>
        <source>on, last known</source>
        <translation>an, letzter bekannter Zustand</translation>
    </message>
    <message>
        <source>off, last known</source>
        <translation>aus, letzter bekannter Zustand</translation>
    </message>
    <message>
        <source>on</source>
        <translation>an</translation>
    </message>
    <message>
        <source>off</source>
        <translation>aus</translation>
    </message>
    <message>
        <source>Calendar</source>
        <translation>Kalender</translation>
    </message>
    <message>
        <source>shutdown</source>
        <translation>Abschaltung</translation>
    </message>
    <message>
        <source>restart</source>
        <translation>Neustart</translation>
    </message>
    <message>
        <source>test</source>
        <translation>Test</translation>
    </message>
    <message>
        <source>deep test</source>
        <translation>Tiefentest</translation>
    </message>
    <message>
        <source>%1 at %2</source>
        <translation>%1 um %2</translation>
    </message>
    <message>
        <source>%1 selected, nothing planned</source>
        <translation>%1 ausgewählt, nichts geplant</translation>
    </message>
    <message>
        <source>%1 selected, %2</source>
        <translation>%1 ausgewählt, %2</translation>
    </message>
    <message>
        <source>Communication</source>
        <translation>Verbindung</translation>
    </message>
    <message>
        <source>Power source</source>
        <translation>Stromquelle</translation>
    </message>
    <message>
        <source>Battery status</source>
        <translation>Batteriezustand</translation>
    </message>
    <message>
        <source>Battery level</source>
        <translation>Batterieladestand</translation>
    </message>
    <message>
        <source>Last battery replacement</source>
        <translation>Letzter Batteriewechsel</translation>
    </message>
    <message>
        <source>Next battery replacement</source>
        <translation>Nächster Batteriewechsel</translation>
    </message>
    <message>
        <source>Next scheduled shutdown</source>
        <translation>Nächste geplante Abschaltung</translation>
    </message>
    <message>
        <source>none</source>
        <translation>keine</translation>
    </message>
    <message>
        <source>no reading</source>
        <translation>kein Messwert</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <translation>%1, %2</translation>
    </message>
</context>
<context>
    <name>PreferencesWindow</name>
    <message>
        <source>Preferences</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Notify me of:</source>
        <translation>Benachrichtigen bei:</translation>
    </message>
    <message>
        <source>Power failure and return</source>
        <translation>Stromausfall und Rückkehr</translation>
    </message>
    <message>
        <source>Low battery, battery to replace</source>
        <translation>Schwache Batterie, Batterie ersetzen</translation>
    </message>
    <message>
        <source>Communication lost and restored</source>
        <translation>Verbindung verloren und wiederhergestellt</translation>
    </message>
    <message>
        <source>Shutdown countdown</source>
        <translation>Abschalt-Countdown</translation>
    </message>
    <message>
        <source>Closing the window keeps the monitor in the tray</source>
        <translation>Beim Schließen bleibt der Monitor im Infobereich</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>not a preferences file</source>
        <translation>keine Einstellungsdatei</translation>
    </message>
    <message>
        <source>access denied</source>
        <translation>Zugriff verweigert</translation>
    </message>
    <message>
        <source>Not saved</source>
        <translation>Nicht gespeichert</translation>
    </message>
    <message>
        <source>The preferences could not be saved: %1</source>
        <translation>Die Einstellungen konnten nicht gespeichert werden: %1</translation>
    </message>
    <message>
        <source>Start at login</source>
        <translation>Beim Anmelden starten</translation>
    </message>
    <message>
        <source>Starts the monitor when you log in to the desktop, its window closed where there is a tray</source>
        <translation>Startet den Monitor bei der Anmeldung am Desktop, mit geschlossenem Fenster, wo es einen Infobereich gibt</translation>
    </message>
    <message>
        <source>Values older than this are lost (2–3600 s):</source>
        <translation>Werte gelten als verloren nach (2–3600 s):</translation>
    </message>
    <message>
        <source>From 2 to 3600 seconds</source>
        <translation>Von 2 bis 3600 Sekunden</translation>
    </message>
    <message>
        <source>Values count as lost after a number of seconds from %1 to %2.</source>
        <translation>Werte gelten nach einer Frist von %1 bis %2 Sekunden als verloren.</translation>
    </message>
    <message>
        <source>Starting at login could not be changed: %1</source>
        <translation>Der Start beim Anmelden konnte nicht geändert werden: %1</translation>
    </message>
    <message>
        <source>cannot remove %1: %2</source>
        <translation>%1 kann nicht entfernt werden: %2</translation>
    </message>
</context>
<context>
    <name>PropertyWindow</name>
    <message>
        <source>Property</source>
        <translation>Eigenschaften</translation>
    </message>
    <message>
        <source>Low battery level (%):</source>
        <translation>Schwache Batterie ab (%):</translation>
    </message>
    <message>
        <source>Last battery replacement</source>
        <translation>Letzter Batteriewechsel</translation>
    </message>
    <message>
        <source>Year</source>
        <translation>Jahr</translation>
    </message>
    <message>
        <source>Next battery replacement</source>
        <translation>Nächster Batteriewechsel</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Month of the last battery replacement</source>
        <translation>Monat des letzten Batteriewechsels</translation>
    </message>
    <message>
        <source>Day of the last battery replacement</source>
        <translation>Tag des letzten Batteriewechsels</translation>
    </message>
    <message>
        <source>Year of the last battery replacement</source>
        <translation>Jahr des letzten Batteriewechsels</translation>
    </message>
    <message>
        <source>Month of the next battery replacement</source>
        <translation>Monat des nächsten Batteriewechsels</translation>
    </message>
    <message>
        <source>Day of the next battery replacement</source>
        <translation>Tag des nächsten Batteriewechsels</translation>
    </message>
    <message>
        <source>Year of the next battery replacement</source>
        <translation>Jahr des nächsten Batteriewechsels</translation>
    </message>
    <message>
        <source>Not saved</source>
        <translation>Nicht gespeichert</translation>
    </message>
    <message>
        <source>The next battery replacement (%1) cannot come before the last one (%2).</source>
        <translation>Der nächste Batteriewechsel (%1) kann nicht vor dem letzten (%2) liegen.</translation>
    </message>
</context>
<context>
    <name>ScheduleWindow</name>
    <message>
        <source>Schedule</source>
        <translation>Zeitplan</translation>
    </message>
    <message>
        <source>Shutdown</source>
        <translation>Abschalten</translation>
    </message>
    <message>
        <source>Restart</source>
        <translation>Neustart</translation>
    </message>
    <message>
        <source>Test</source>
        <translation>Test</translation>
    </message>
    <message>
        <source>Deep test</source>
        <translation>Tiefentest</translation>
    </message>
    <message>
        <source>Action</source>
        <translation>Aktion</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Zeit</translation>
    </message>
    <message>
        <source>This day</source>
        <translation>Dieser Tag</translation>
    </message>
    <message>
        <source>Every day</source>
        <translation>Täglich</translation>
    </message>
    <message>
        <source>Every week</source>
        <translation>Wöchentlich</translation>
    </message>
    <message>
        <source>Every month</source>
        <translation>Monatlich</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Keine</translation>
    </message>
    <message>
        <source>Year</source>
        <translation>Jahr</translation>
    </message>
    <message>
        <source>Month</source>
        <translation>Monat</translation>
    </message>
    <message>
        <source>Action 1</source>
        <translation>Aktion 1</translation>
    </message>
    <message>
        <source>Hour 1</source>
        <translation>Stunde 1</translation>
    </message>
    <message>
        <source>Minute 1</source>
        <translation>Minute 1</translation>
    </message>
    <message>
        <source>Action 2</source>
        <translation>Aktion 2</translation>
    </message>
    <message>
        <source>Hour 2</source>
        <translation>Stunde 2</translation>
    </message>
    <message>
        <source>Minute 2</source>
        <translation>Minute 2</translation>
    </message>
    <message>
        <source>Action 3</source>
        <translation>Aktion 3</translation>
    </message>
    <message>
        <source>Hour 3</source>
        <translation>Stunde 3</translation>
    </message>
    <message>
        <source>Minute 3</source>
        <translation>Minute 3</translation>
    </message>
    <message>
        <source>Action 4</source>
        <translation>Aktion 4</translation>
    </message>
    <message>
        <source>Hour 4</source>
        <translation>Stunde 4</translation>
    </message>
    <message>
        <source>Minute 4</source>
        <translation>Minute 4</translation>
    </message>
    <message>
        <source>Action 5</source>
        <translation>Aktion 5</translation>
    </message>
    <message>
        <source>Hour 5</source>
        <translation>Stunde 5</translation>
    </message>
    <message>
        <source>Minute 5</source>
        <translation>Minute 5</translation>
    </message>
    <message>
        <source>Action 6</source>
        <translation>Aktion 6</translation>
    </message>
    <message>
        <source>Hour 6</source>
        <translation>Stunde 6</translation>
    </message>
    <message>
        <source>Minute 6</source>
        <translation>Minute 6</translation>
    </message>
</context>
<context>
    <name>StatusBar</name>
    <message>
        <source>agent running, UPS not answering</source>
        <translation>Agent läuft, USV antwortet nicht</translation>
    </message>
    <message>
        <source>agent running, UPS not answering: %1</source>
        <translation>Agent läuft, USV antwortet nicht: %1</translation>
    </message>
    <message>
        <source>program folder %1 not found</source>
        <translation>Programmordner %1 nicht gefunden</translation>
    </message>
    <message>
        <source>program folder %1 not readable: needs %2</source>
        <translation>Programmordner %1 nicht lesbar: braucht %2</translation>
    </message>
    <message>
        <source>agent not running</source>
        <translation>Agent läuft nicht</translation>
    </message>
    <message>
        <source>no update for %1 s</source>
        <translation>seit %1 s keine Aktualisierung</translation>
    </message>
    <message>
        <source>values written by user %1 ignored</source>
        <translation>Werte von Benutzer %1 ignoriert</translation>
    </message>
    <message>
        <source>no values from the agent</source>
        <translation>keine Werte vom Agenten</translation>
    </message>
    <message>
        <source>program folder %1 was moved or renamed: still read where it went</source>
        <translation>Programmordner %1 wurde verschoben oder umbenannt: wird am neuen Ort weiter gelesen</translation>
    </message>
</context>
</TS>
