<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR">
<context>
    <name>AboutWindow</name>
    <message>
        <source>About Corvanta UPS Monitor</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shows the state of your UPS: power source, battery, measurements and any shutdown that is coming. The Corvanta UPS agent talks to the UPS and shuts the computer down.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ActionsWindow</name>
    <message>
        <source>Actions</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>After a power failure, shut down in</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>min</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>On low battery, shut down in</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>For a scheduled shutdown, shut down in</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Run a command file before the shutdown</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Command file:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Browse…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Command time:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>usage: corvanta-monitor [--folder DIR] [--snapshot FILE.png [--after SECONDS]]
                        [--help] [--version]

  --folder DIR        program folder with the exchange files (default: the
                      CORVANTA_FOLDER environment variable, else
                      /Applications/Corvanta)
  --snapshot FILE     run, then write a PNG of the main window and exit
  --after SECONDS     when to take the snapshot (default 3)
  --help              show this text
  --version           show the version
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 needs a value</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 takes no value</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--folder needs a directory</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--snapshot needs a file name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--after needs a number of seconds from 0 to 86400, not &quot;%1&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unknown option &quot;%1&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--after goes with --snapshot</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot write the snapshot %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the main window cannot be built from the interface description</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the main window has no tab control</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Desktop</name>
    <message>
        <source>Show</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Event log…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>History…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel shutdown</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Corvanta UPS Monitor keeps running</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>It watches the UPS from the tray; Quit in its menu ends it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 %</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 h %2 min</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 min %2 s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 left</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 min left</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Battery %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not logged in to the UPS server: a primary will not wait for this computer</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Primary</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Secondary</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no other computer on this UPS</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1 other computer on this UPS</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 other computers on this UPS</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Waiting for the agent</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>last known: on battery</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>last known: on mains</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Communication lost</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>shutting down</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shutting down</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>On battery</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>On mains</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>battery low</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>replace battery</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>charging</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>load %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>shutdown in %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No values from the UPS agent: the power state is unknown.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Communication restored</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The UPS agent reports again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Power failure</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The UPS runs on its battery.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The UPS runs on mains again after %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The UPS runs on mains again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Power restored</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Battery low</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The battery is nearly empty.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Replace battery</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The UPS asks for a new battery.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Overload</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The UPS carries more than it can.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Overheat</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The UPS is too hot.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The computer shuts down in %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The UPS&apos;s primary orders this computer to shut down now</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The computer is shutting down now.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shutdown pending</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shutdown in less than a minute</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shutdown cancelled</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The computer keeps running.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Dialogs</name>
    <message>
        <source>Not saved</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The calendar could not be saved: %1
Close again to close the window without saving it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The settings could not be saved: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Agent not told</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The calendar was saved, but the agent could not be told: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The settings were saved, but the agent could not be told: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>EventLogWindow</name>
    <message>
        <source>Event Log</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>HistoryWindow</name>
    <message>
        <source>running</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cancelled</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>power back</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>expired</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>shutdown run</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No history yet: the agent has not recorded any.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The history was written by a newer agent and cannot be read here.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The history is too large to read in time: %1. A shorter range may be read.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The history cannot be read: %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Last hour</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Last day</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Last week</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Last month</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Last year</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>in the last hour</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>in the last day</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>in the last week</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>in the last month</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>in the last year</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The history is too large to read in time: %1 %2. A shorter range may be read.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Battery: the history holds too many outages to compare the runtimes in time.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Battery: %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Battery: two outages that begin on a full battery are needed to compare its runtime (%1 so far).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 min at %2 % load on %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Battery: %1; no later full-battery outage at a comparable load.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Battery runtime: %1, then %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Battery runtime: %1, then %2 (%3 % of the first).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 %</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Charge %</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Load %</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Input V</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>History</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export table (CSV)…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export chart (PNG)…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reading the history…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Range:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>On battery</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%d %%</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%d V</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Point at the chart to read its values.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>End</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Duration</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lowest charge</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Countdown</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>none</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>on battery</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 outage %2: %3 on battery, longest %4%5</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 outages %2: %3 on battery, longest %4%5</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> (* began earlier: counted from the range&apos;s start)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1   charge %2, load %3, input %4%5</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 V</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>   (on battery)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export chart</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export outage table</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PNG image (*.png)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CSV file (*.csv)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not write %1.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>LogManageWindow</name>
    <message>
        <source>Log Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Log entries to keep:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MainMenu</name>
    <message>
        <source>&amp;Monitor</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;UPS</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>About…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>History…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Preferences…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Property…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Actions…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Schedule…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Log settings…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Event log…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel shutdown</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Communication:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Power source:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Battery status:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Battery level:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shutdown countdown</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>None pending</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shutdown in</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Status</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Meter</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Maintenance</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Communication lost</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Power failure</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Battery low</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Replace battery</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Overload</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Overheat</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Beeper on</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Meter shows:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Second selection:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Kept in the settings for the agent; not shown on the meter.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Last battery replacement:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Next battery replacement:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Next scheduled shutdown:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shutting down</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1%</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Waiting for the agent…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Disconnect</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connected</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Battery</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Normal</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Need Replace</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Low</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>None</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not sent</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The request to cancel the shutdown could not be sent: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Measurement</name>
    <message>
        <source>Battery Voltage</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Battery Current</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Battery Level</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Input Frequency</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Input Voltage</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Input Current</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Input Frequency2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Input Voltage2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Input Current2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Input Frequency3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Input Voltage3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Input Current3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Output Frequency</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Output Voltage</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Output Current</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Output Loading</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Output Voltage2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Output Current2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Output Loading2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Output Voltage3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Output Current3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Output Loading3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bypass Frequency</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bypass Voltage</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bypass Current</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bypass Voltage2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bypass Current2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bypass Voltage3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bypass Current3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Temperature</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PreferencesWindow</name>
    <message>
        <source>Preferences</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Notify me of:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Power failure and return</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Low battery, battery to replace</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Communication lost and restored</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shutdown countdown</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Closing the window keeps the monitor in the tray</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Values older than this are lost (s):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not a preferences file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>access denied</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not saved</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The preferences could not be saved: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PropertyWindow</name>
    <message>
        <source>Property</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Low battery level (%):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Last battery replacement</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Year</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Next battery replacement</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ScheduleWindow</name>
    <message>
        <source>Schedule</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shutdown</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Restart</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Test</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Deep test</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Action</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Time</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This day</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Every day</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Every week</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Every month</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>None</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>StatusBar</name>
    <message>
        <source>agent running, UPS not answering</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>agent running, UPS not answering: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>program folder %1 not found</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>program folder %1 not readable: needs %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>agent not running</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no update for %1 s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>values written by user %1 ignored</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no values from the agent</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>program folder %1 was moved or renamed: still read where it went</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
