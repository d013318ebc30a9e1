<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR">
<context>
    <name>AboutWindow</name>
    <message>
        <source>About Corvanta UPS Monitor</source>
        <translation>À propos de Corvanta UPS Monitor</translation>
    </message>
    <message>
        <source>Shows the state of your UPS: power source, battery, measurements and any shutdown that is coming. The Corvanta UPS agent talks to the UPS and shuts the computer down.</source>
        <translation>Affiche l’état de votre onduleur&#xa0;: source d’alimentation, batterie, mesures et tout arrêt à venir. L’agent Corvanta dialogue avec l’onduleur et arrête l’ordinateur.</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>Program icon</source>
        <translation>Icône du programme</translation>
    </message>
</context>
<context>
    <name>ActionsWindow</name>
    <message>
        <source>Actions</source>
        <translation>Actions</translation>
    </message>
    <message>
        <source>After a power failure, shut down in</source>
        <translation>Après une coupure, arrêter dans</translation>
    </message>
    <message>
        <source>min</source>
        <translation>min</translation>
    </message>
    <message>
        <source>On low battery, shut down in</source>
        <translation>Batterie faible&#xa0;: arrêter dans</translation>
    </message>
    <message>
        <source>For a scheduled shutdown, shut down in</source>
        <translation>Arrêt planifié&#xa0;: arrêter dans</translation>
    </message>
    <message>
        <source>Run a command file before the shutdown</source>
        <translation>Exécuter un fichier de commandes avant l’arrêt</translation>
    </message>
    <message>
        <source>Command file:</source>
        <translation>Fichier&#xa0;:</translation>
    </message>
    <message>
        <source>Browse…</source>
        <translation>Parcourir…</translation>
    </message>
    <message>
        <source>Command time:</source>
        <translation>Durée&#xa0;:</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Minutes after a power failure</source>
        <translation>Minutes après une coupure de courant</translation>
    </message>
    <message>
        <source>Minutes on low battery</source>
        <translation>Minutes en cas de batterie faible</translation>
    </message>
    <message>
        <source>Minutes before a scheduled shutdown</source>
        <translation>Minutes avant un arrêt planifié</translation>
    </message>
    <message>
        <source>Browse for the command file</source>
        <translation>Choisir le fichier de commandes</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>%1 needs a value</source>
        <translation>%1 demande une valeur</translation>
    </message>
    <message>
        <source>%1 takes no value</source>
        <translation>%1 ne prend pas de valeur</translation>
    </message>
    <message>
        <source>--folder needs a directory</source>
        <translation>--folder demande un dossier</translation>
    </message>
    <message>
        <source>--snapshot needs a file name</source>
        <translation>--snapshot demande un nom de fichier</translation>
    </message>
    <message>
        <source>--after needs a number of seconds from 0 to 86400, not &quot;%1&quot;</source>
        <translation>--after demande un nombre de secondes de 0 à 86400, pas «&#xa0;%1&#xa0;»</translation>
    </message>
    <message>
        <source>unknown option &quot;%1&quot;</source>
        <translation>option inconnue «&#xa0;%1&#xa0;»</translation>
    </message>
    <message>
        <source>--after goes with --snapshot</source>
        <translation>--after va avec --snapshot</translation>
    </message>
    <message>
        <source>cannot write the snapshot %1</source>
        <translation>impossible d’écrire la capture %1</translation>
    </message>
    <message>
        <source>the main window cannot be built from the interface description</source>
        <translation>la fenêtre principale ne peut pas être construite à partir de la description de l’interface</translation>
    </message>
    <message>
        <source>the main window has no tab control</source>
        <translation>la fenêtre principale n’a pas d’onglets</translation>
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
        <translation>usage&#xa0;: corvanta-monitor [--folder DOSSIER] [--hidden]
                         [--snapshot FICHIER.png [--after SECONDES]] [--help] [--version]

  --folder DOSSIER    dossier du programme avec les fichiers d’échange (par défaut&#xa0;:
                      la variable d’environnement CORVANTA_FOLDER, sinon
                      /Applications/Corvanta)
  --hidden            démarrer dans la zone de notification, fenêtre principale
                      fermée (elle s’ouvre tout de même si aucune zone de
                      notification n’apparaît dans les 10 s)
  --snapshot FICHIER  démarrer, puis écrire un PNG de la fenêtre principale et quitter
  --after SECONDES    quand prendre la capture (par défaut 3)
  --help              afficher ce texte
  --version           afficher la version
</translation>
    </message>
</context>
<context>
    <name>Desktop</name>
    <message>
        <source>Cancel shutdown</source>
        <translation>Annuler l’arrêt</translation>
    </message>
    <message>
        <source>Corvanta UPS Monitor keeps running</source>
        <translation>Corvanta UPS Monitor reste actif</translation>
    </message>
    <message>
        <source>It watches the UPS from the tray; Quit in its menu ends it.</source>
        <translation>Il surveille l’onduleur depuis la zone de notification&#xa0;; «&#xa0;Quitter&#xa0;» dans son menu le ferme.</translation>
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
        <translation>%1 restantes</translation>
    </message>
    <message>
        <source>%1 min left</source>
        <translation>%1 min restantes</translation>
    </message>
    <message>
        <source>Battery %1</source>
        <translation>Batterie %1</translation>
    </message>
    <message>
        <source>Not logged in to the UPS server: a primary will not wait for this computer</source>
        <translation>Non connecté au serveur de l’onduleur&#xa0;: un primaire n’attendra pas cet ordinateur</translation>
    </message>
    <message>
        <source>Primary</source>
        <translation>Primaire</translation>
    </message>
    <message>
        <source>Secondary</source>
        <translation>Secondaire</translation>
    </message>
    <message>
        <source>no other computer on this UPS</source>
        <translation>aucun autre ordinateur sur cet onduleur</translation>
    </message>
    <message>
        <source>1 other computer on this UPS</source>
        <translation>1 autre ordinateur sur cet onduleur</translation>
    </message>
    <message>
        <source>%1 other computers on this UPS</source>
        <translation>%1 autres ordinateurs sur cet onduleur</translation>
    </message>
    <message>
        <source>Waiting for the agent</source>
        <translation>En attente de l’agent</translation>
    </message>
    <message>
        <source>last known: on battery</source>
        <translation>dernier état&#xa0;: sur batterie</translation>
    </message>
    <message>
        <source>last known: on mains</source>
        <translation>dernier état&#xa0;: sur secteur</translation>
    </message>
    <message>
        <source>Communication lost</source>
        <translation>Communication perdue</translation>
    </message>
    <message>
        <source>shutting down</source>
        <translation>arrêt en cours</translation>
    </message>
    <message>
        <source>Shutting down</source>
        <translation>Arrêt en cours</translation>
    </message>
    <message>
        <source>On battery</source>
        <translation>Sur batterie</translation>
    </message>
    <message>
        <source>On mains</source>
        <translation>Sur secteur</translation>
    </message>
    <message>
        <source>battery low</source>
        <translation>batterie faible</translation>
    </message>
    <message>
        <source>replace battery</source>
        <translation>batterie à remplacer</translation>
    </message>
    <message>
        <source>charging</source>
        <translation>en charge</translation>
    </message>
    <message>
        <source>load %1</source>
        <translation>charge %1</translation>
    </message>
    <message>
        <source>shutdown in %1</source>
        <translation>arrêt dans %1</translation>
    </message>
    <message>
        <source>No values from the UPS agent: the power state is unknown.</source>
        <translation>Aucune valeur de l’agent&#xa0;: l’état de l’alimentation est inconnu.</translation>
    </message>
    <message>
        <source>Communication restored</source>
        <translation>Communication rétablie</translation>
    </message>
    <message>
        <source>The UPS agent reports again.</source>
        <translation>L’agent de l’onduleur répond de nouveau.</translation>
    </message>
    <message>
        <source>Power failure</source>
        <translation>Coupure de courant</translation>
    </message>
    <message>
        <source>The UPS runs on its battery.</source>
        <translation>L’onduleur fonctionne sur batterie.</translation>
    </message>
    <message>
        <source>The UPS runs on mains again after %1.</source>
        <translation>L’onduleur est de nouveau sur secteur après %1.</translation>
    </message>
    <message>
        <source>The UPS runs on mains again.</source>
        <translation>L’onduleur est de nouveau sur secteur.</translation>
    </message>
    <message>
        <source>Power restored</source>
        <translation>Courant rétabli</translation>
    </message>
    <message>
        <source>Battery low</source>
        <translation>Batterie faible</translation>
    </message>
    <message>
        <source>The battery is nearly empty.</source>
        <translation>La batterie est presque vide.</translation>
    </message>
    <message>
        <source>Replace battery</source>
        <translation>Batterie à remplacer</translation>
    </message>
    <message>
        <source>The UPS asks for a new battery.</source>
        <translation>L’onduleur demande une nouvelle batterie.</translation>
    </message>
    <message>
        <source>Overload</source>
        <translation>Surcharge</translation>
    </message>
    <message>
        <source>The UPS carries more than it can.</source>
        <translation>L’onduleur supporte plus qu’il ne peut.</translation>
    </message>
    <message>
        <source>Overheat</source>
        <translation>Surchauffe</translation>
    </message>
    <message>
        <source>The UPS is too hot.</source>
        <translation>L’onduleur est trop chaud.</translation>
    </message>
    <message>
        <source>The computer shuts down in %1.</source>
        <translation>L’ordinateur s’arrête dans %1.</translation>
    </message>
    <message>
        <source>The UPS&apos;s primary orders this computer to shut down now</source>
        <translation>Le primaire de l’onduleur ordonne l’arrêt immédiat de cet ordinateur</translation>
    </message>
    <message>
        <source>The computer is shutting down now.</source>
        <translation>L’ordinateur s’arrête maintenant.</translation>
    </message>
    <message>
        <source>Shutdown pending</source>
        <translation>Arrêt imminent</translation>
    </message>
    <message>
        <source>Shutdown in less than a minute</source>
        <translation>Arrêt dans moins d’une minute</translation>
    </message>
    <message>
        <source>Shutdown cancelled</source>
        <translation>Arrêt annulé</translation>
    </message>
    <message>
        <source>The computer keeps running.</source>
        <translation>L’ordinateur continue de fonctionner.</translation>
    </message>
    <message>
        <source>&amp;Show</source>
        <translation>A&amp;fficher</translation>
    </message>
    <message>
        <source>&amp;Event log…</source>
        <translation>&amp;Journal des événements…</translation>
    </message>
    <message>
        <source>&amp;History…</source>
        <translation>&amp;Historique…</translation>
    </message>
    <message>
        <source>&amp;Cancel shutdown</source>
        <translation>&amp;Annuler l’arrêt</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Quitter</translation>
    </message>
    <message>
        <source>%1%</source>
        <translation>%1&#xa0;%</translation>
    </message>
    <message>
        <source>Battery replacement was due on %1.</source>
        <translation>Le remplacement de la batterie était prévu pour le %1.</translation>
    </message>
</context>
<context>
    <name>Dialogs</name>
    <message>
        <source>Not saved</source>
        <translation>Non enregistré</translation>
    </message>
    <message>
        <source>The calendar could not be saved: %1
Close again to close the window without saving it.</source>
        <translation>Le calendrier n’a pas pu être enregistré&#xa0;: %1
Fermez de nouveau pour fermer la fenêtre sans l’enregistrer.</translation>
    </message>
    <message>
        <source>The settings could not be saved: %1</source>
        <translation>Les réglages n’ont pas pu être enregistrés&#xa0;: %1</translation>
    </message>
    <message>
        <source>Agent not told</source>
        <translation>Agent non prévenu</translation>
    </message>
    <message>
        <source>The calendar was saved, but the agent could not be told: %1</source>
        <translation>Le calendrier a été enregistré, mais l’agent n’a pas pu être prévenu&#xa0;: %1</translation>
    </message>
    <message>
        <source>The settings were saved, but the agent could not be told: %1</source>
        <translation>Les réglages ont été enregistrés, mais l’agent n’a pas pu être prévenu&#xa0;: %1</translation>
    </message>
</context>
<context>
    <name>EventLogWindow</name>
    <message>
        <source>Event log</source>
        <translation>Journal des événements</translation>
    </message>
</context>
<context>
    <name>Files</name>
    <message>
        <source>cannot write %1: no calendar is loaded</source>
        <translation>impossible d’écrire %1&#xa0;: aucun calendrier n’est chargé</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>impossible d’écrire %1&#xa0;: %2</translation>
    </message>
    <message>
        <source>user %1 or group %2</source>
        <translation>l’utilisateur %1 ou le groupe %2</translation>
    </message>
    <message>
        <source>user %1</source>
        <translation>l’utilisateur %1</translation>
    </message>
    <message>
        <source>the program folder must not be empty</source>
        <translation>le dossier du programme ne doit pas être vide</translation>
    </message>
    <message>
        <source>the program folder path is %1 bytes long; at most %2 fit: %3</source>
        <translation>le chemin du dossier du programme fait %1 octets&#xa0;; au plus %2 tiennent&#xa0;: %3</translation>
    </message>
</context>
<context>
    <name>History</name>
    <message>
        <source>a FIFO</source>
        <translation>un tube nommé (FIFO)</translation>
    </message>
    <message>
        <source>a folder</source>
        <translation>un dossier</translation>
    </message>
    <message>
        <source>a device or socket</source>
        <translation>un périphérique ou une socket</translation>
    </message>
    <message>
        <source>a file with %1 links</source>
        <translation>un fichier à %1 liens physiques</translation>
    </message>
    <message>
        <source>user %1</source>
        <translation>l’utilisateur %1</translation>
    </message>
    <message>
        <source>others</source>
        <translation>tous les utilisateurs</translation>
    </message>
    <message>
        <source>its group</source>
        <translation>son groupe</translation>
    </message>
    <message>
        <source>%1 is in order</source>
        <translation>%1 est en ordre</translation>
    </message>
    <message>
        <source>%1 does not exist</source>
        <translation>%1 n’existe pas</translation>
    </message>
    <message>
        <source>%1 holds no history yet</source>
        <translation>%1 ne contient encore aucun historique</translation>
    </message>
    <message>
        <source>%1 is not a regular file but %2</source>
        <translation>%1 n’est pas un fichier ordinaire mais %2</translation>
    </message>
    <message>
        <source>%1 is owned by %2</source>
        <translation>%1 appartient à %2</translation>
    </message>
    <message>
        <source>%1 is writable by %2</source>
        <translation>%1 est modifiable par %2</translation>
    </message>
    <message>
        <source>%1 holds more than the agent&apos;s history (%2)</source>
        <translation>%1 contient plus que l’historique de l’agent (%2)</translation>
    </message>
    <message>
        <source>%1 is damaged or not a database (%2)</source>
        <translation>%1 est endommagé ou n’est pas une base de données (%2)</translation>
    </message>
    <message>
        <source>%1 was made by a newer agent (%2)</source>
        <translation>%1 a été créé par un agent plus récent (%2)</translation>
    </message>
    <message>
        <source>%1 is locked by another program (%2)</source>
        <translation>%1 est verrouillé par un autre programme (%2)</translation>
    </message>
    <message>
        <source>%1 took too long or too much memory to answer (%2)</source>
        <translation>%1 a demandé trop de temps ou de mémoire pour répondre (%2)</translation>
    </message>
    <message>
        <source>%1 cannot be used (%2)</source>
        <translation>%1 est inutilisable (%2)</translation>
    </message>
    <message>
        <source>more than %1 events</source>
        <translation>plus de %1 événements</translation>
    </message>
    <message>
        <source>more than %1 samples</source>
        <translation>plus de %1 relevés</translation>
    </message>
</context>
<context>
    <name>HistoryWindow</name>
    <message>
        <source>running</source>
        <translation>en cours</translation>
    </message>
    <message>
        <source>cancelled</source>
        <translation>annulé</translation>
    </message>
    <message>
        <source>power back</source>
        <translation>courant revenu</translation>
    </message>
    <message>
        <source>expired</source>
        <translation>écoulé</translation>
    </message>
    <message>
        <source>shutdown run</source>
        <translation>arrêt effectué</translation>
    </message>
    <message>
        <source>No history yet: the agent has not recorded any.</source>
        <translation>Pas encore d’historique&#xa0;: l’agent n’a rien enregistré.</translation>
    </message>
    <message>
        <source>The history was written by a newer agent and cannot be read here.</source>
        <translation>L’historique a été écrit par un agent plus récent et ne peut pas être lu ici.</translation>
    </message>
    <message>
        <source>The history cannot be read: %1.</source>
        <translation>L’historique ne peut pas être lu&#xa0;: %1.</translation>
    </message>
    <message>
        <source>Last hour</source>
        <translation>Dernière heure</translation>
    </message>
    <message>
        <source>Last day</source>
        <translation>Dernier jour</translation>
    </message>
    <message>
        <source>Last week</source>
        <translation>Dernière semaine</translation>
    </message>
    <message>
        <source>Last month</source>
        <translation>Dernier mois</translation>
    </message>
    <message>
        <source>Last year</source>
        <translation>Dernière année</translation>
    </message>
    <message>
        <source>in the last hour</source>
        <translation>dans la dernière heure</translation>
    </message>
    <message>
        <source>in the last day</source>
        <translation>dans le dernier jour</translation>
    </message>
    <message>
        <source>in the last week</source>
        <translation>dans la dernière semaine</translation>
    </message>
    <message>
        <source>in the last month</source>
        <translation>dans le dernier mois</translation>
    </message>
    <message>
        <source>in the last year</source>
        <translation>dans la dernière année</translation>
    </message>
    <message>
        <source>Battery: the history holds too many outages to compare the runtimes in time.</source>
        <translation>Batterie&#xa0;: l’historique contient trop de coupures pour comparer les autonomies à temps.</translation>
    </message>
    <message>
        <source>Battery: %1.</source>
        <translation>Batterie&#xa0;: %1.</translation>
    </message>
    <message>
        <source>Battery: two outages that begin on a full battery are needed to compare its runtime (%1 so far).</source>
        <translation>Batterie&#xa0;: deux coupures commençant batterie pleine sont nécessaires pour comparer son autonomie (%1 pour l’instant).</translation>
    </message>
    <message>
        <source>Battery: %1; no later full-battery outage at a comparable load.</source>
        <translation>Batterie&#xa0;: %1&#xa0;; aucune coupure ultérieure batterie pleine à charge comparable.</translation>
    </message>
    <message>
        <source>Battery runtime: %1, then %2.</source>
        <translation>Autonomie de la batterie&#xa0;: %1, puis %2.</translation>
    </message>
    <message>
        <source>Charge %</source>
        <translation>Charge batterie %</translation>
    </message>
    <message>
        <source>Load %</source>
        <translation>Charge %</translation>
    </message>
    <message>
        <source>Input V</source>
        <translation>Entrée V</translation>
    </message>
    <message>
        <source>History</source>
        <translation>Historique</translation>
    </message>
    <message>
        <source>Export table (CSV)…</source>
        <translation>Exporter le tableau (CSV)…</translation>
    </message>
    <message>
        <source>Export chart (PNG)…</source>
        <translation>Exporter le graphique (PNG)…</translation>
    </message>
    <message>
        <source>Reading the history…</source>
        <translation>Lecture de l’historique…</translation>
    </message>
    <message>
        <source>On battery</source>
        <translation>Sur batterie</translation>
    </message>
    <message>
        <source>%d V</source>
        <translation>%d V</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Début</translation>
    </message>
    <message>
        <source>End</source>
        <translation>Fin</translation>
    </message>
    <message>
        <source>Duration</source>
        <translation>Durée</translation>
    </message>
    <message>
        <source>Lowest charge</source>
        <translation>Charge minimale</translation>
    </message>
    <message>
        <source>Countdown</source>
        <translation>Compte à rebours</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>none</source>
        <translation>aucun</translation>
    </message>
    <message>
        <source>on battery</source>
        <translation>sur batterie</translation>
    </message>
    <message>
        <source>%1 outage %2: %3 on battery, longest %4%5</source>
        <translation>%1 coupure %2&#xa0;: %3 sur batterie, la plus longue %4%5</translation>
    </message>
    <message>
        <source>%1 outages %2: %3 on battery, longest %4%5</source>
        <translation>%1 coupures %2&#xa0;: %3 sur batterie, la plus longue %4%5</translation>
    </message>
    <message>
        <source> (* began earlier: counted from the range&apos;s start)</source>
        <translation> (* commencée plus tôt&#xa0;: comptée depuis le début de la période)</translation>
    </message>
    <message>
        <source>%1   charge %2, load %3, input %4%5</source>
        <translation>%1   charge batterie %2, charge %3, entrée %4%5</translation>
    </message>
    <message>
        <source>%1 V</source>
        <translation>%1&#xa0;V</translation>
    </message>
    <message>
        <source>   (on battery)</source>
        <translation>   (sur batterie)</translation>
    </message>
    <message>
        <source>Export chart</source>
        <translation>Exporter le graphique</translation>
    </message>
    <message>
        <source>Export outage table</source>
        <translation>Exporter le tableau des coupures</translation>
    </message>
    <message>
        <source>PNG image (*.png)</source>
        <translation>Image PNG (*.png)</translation>
    </message>
    <message>
        <source>CSV file (*.csv)</source>
        <translation>Fichier CSV (*.csv)</translation>
    </message>
    <message>
        <source>the last hour</source>
        <translation>la dernière heure</translation>
    </message>
    <message>
        <source>the last day</source>
        <translation>le dernier jour</translation>
    </message>
    <message>
        <source>the last week</source>
        <translation>la dernière semaine</translation>
    </message>
    <message>
        <source>the last month</source>
        <translation>le dernier mois</translation>
    </message>
    <message>
        <source>the last year</source>
        <translation>la dernière année</translation>
    </message>
    <message>
        <source>The history is too large to read in time: %1 holds %2. A shorter range may be read.</source>
        <translation>L’historique est trop volumineux pour être lu à temps&#xa0;: %1 contient %2. Une période plus courte peut être lue.</translation>
    </message>
    <message>
        <source>&amp;Range:</source>
        <translation>&amp;Période&#xa0;:</translation>
    </message>
    <message>
        <source>Chart of the battery charge and the voltages</source>
        <translation>Graphique de la charge de la batterie et des tensions</translation>
    </message>
    <message>
        <source>The history is too large to read in time: %1 took too long to answer. A shorter range may be read.</source>
        <translation>L’historique est trop volumineux pour être lu à temps&#xa0;: %1 a mis trop de temps à répondre. Une période plus courte peut être lue.</translation>
    </message>
    <message>
        <source>The history cannot be read: %1 is damaged or not a database.</source>
        <translation>L’historique ne peut pas être lu&#xa0;: %1 est endommagé ou n’est pas une base de données.</translation>
    </message>
    <message>
        <source>The history cannot be read: another program holds %1. It may be read again in a moment.</source>
        <translation>L’historique ne peut pas être lu&#xa0;: un autre programme bloque %1. Il pourra être lu de nouveau dans un instant.</translation>
    </message>
    <message>
        <source>The history cannot be read: %1 cannot be opened or read from the disk.</source>
        <translation>L’historique ne peut pas être lu&#xa0;: %1 ne peut pas être ouvert ni lu sur le disque.</translation>
    </message>
    <message>
        <source>%1 min at %2% load on %3</source>
        <translation>%1 min à %2&#xa0;% de charge le %3</translation>
    </message>
    <message>
        <source>Battery runtime: %1, then %2 (%3% of the first).</source>
        <translation>Autonomie de la batterie&#xa0;: %1, puis %2 (%3&#xa0;% de la première).</translation>
    </message>
    <message>
        <source>%1%</source>
        <translation>%1&#xa0;%</translation>
    </message>
    <message>
        <source>%d%%</source>
        <translation>%d %%</translation>
    </message>
    <message>
        <source>Chart saved to %1</source>
        <translation>Graphique enregistré dans %1</translation>
    </message>
    <message>
        <source>Table saved to %1</source>
        <translation>Tableau enregistré dans %1</translation>
    </message>
    <message>
        <source>Not saved</source>
        <translation>Non enregistré</translation>
    </message>
    <message>
        <source>%1 could not be written.</source>
        <translation>Impossible d’écrire %1.</translation>
    </message>
    <message>
        <source>Power history of %1: %2 to %3</source>
        <translation>Historique de l’alimentation sur %1&#xa0;: du %2 au %3</translation>
    </message>
    <message>
        <source>Point at the chart, or give it the focus and use the arrow keys, to read its values.</source>
        <translation>Pointez le graphique, ou donnez-lui le focus et utilisez les touches fléchées, pour lire ses valeurs.</translation>
    </message>
</context>
<context>
    <name>LogManageWindow</name>
    <message>
        <source>Log entries to keep:</source>
        <translation>Entrées à conserver&#xa0;:</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Log settings</source>
        <translation>Réglages du journal</translation>
    </message>
</context>
<context>
    <name>MainMenu</name>
    <message>
        <source>&amp;Monitor</source>
        <translation>&amp;Moniteur</translation>
    </message>
    <message>
        <source>&amp;Settings</source>
        <translation>&amp;Réglages</translation>
    </message>
    <message>
        <source>&amp;UPS</source>
        <translation>&amp;Onduleur</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Aide</translation>
    </message>
    <message>
        <source>&amp;User guide</source>
        <translation>&amp;Guide d’utilisation</translation>
    </message>
    <message>
        <source>&amp;About Corvanta UPS Monitor</source>
        <translation>À &amp;propos de Corvanta UPS Monitor</translation>
    </message>
    <message>
        <source>&amp;History…</source>
        <translation>&amp;Historique…</translation>
    </message>
    <message>
        <source>&amp;Preferences…</source>
        <translation>&amp;Préférences…</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Quitter</translation>
    </message>
    <message>
        <source>&amp;Property…</source>
        <translation>&amp;Propriétés…</translation>
    </message>
    <message>
        <source>&amp;Actions…</source>
        <translation>&amp;Actions…</translation>
    </message>
    <message>
        <source>&amp;Schedule…</source>
        <translation>P&amp;lanification…</translation>
    </message>
    <message>
        <source>&amp;Log settings…</source>
        <translation>Réglages du &amp;journal…</translation>
    </message>
    <message>
        <source>&amp;Event log…</source>
        <translation>&amp;Journal des événements…</translation>
    </message>
    <message>
        <source>&amp;Cancel shutdown</source>
        <translation>&amp;Annuler l’arrêt</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Communication:</source>
        <translation>Communication&#xa0;:</translation>
    </message>
    <message>
        <source>Power source:</source>
        <translation>Alimentation&#xa0;:</translation>
    </message>
    <message>
        <source>Battery status:</source>
        <translation>État batterie&#xa0;:</translation>
    </message>
    <message>
        <source>Battery level:</source>
        <translation>Niveau batterie&#xa0;:</translation>
    </message>
    <message>
        <source>Shutdown countdown</source>
        <translation>Compte à rebours</translation>
    </message>
    <message>
        <source>None pending</source>
        <translation>Aucun en attente</translation>
    </message>
    <message>
        <source>Shutdown in</source>
        <translation>Arrêt dans</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>État</translation>
    </message>
    <message>
        <source>Meter</source>
        <translation>Mesures</translation>
    </message>
    <message>
        <source>Maintenance</source>
        <translation>Maintenance</translation>
    </message>
    <message>
        <source>Communication lost</source>
        <translation>Communication perdue</translation>
    </message>
    <message>
        <source>Power failure</source>
        <translation>Coupure de courant</translation>
    </message>
    <message>
        <source>Battery low</source>
        <translation>Batterie faible</translation>
    </message>
    <message>
        <source>Replace battery</source>
        <translation>Batterie à remplacer</translation>
    </message>
    <message>
        <source>Overload</source>
        <translation>Surcharge</translation>
    </message>
    <message>
        <source>Overheat</source>
        <translation>Surchauffe</translation>
    </message>
    <message>
        <source>Beeper on</source>
        <translation>Alarme sonore active</translation>
    </message>
    <message>
        <source>Meter shows:</source>
        <translation>Mesure affichée&#xa0;:</translation>
    </message>
    <message>
        <source>Second selection:</source>
        <translation>Second choix&#xa0;:</translation>
    </message>
    <message>
        <source>Kept in the settings for the agent; not shown on the meter.</source>
        <translation>Conservé dans les réglages pour l’agent&#xa0;; non affiché.</translation>
    </message>
    <message>
        <source>Last battery replacement:</source>
        <translation>Dernier remplacement&#xa0;:</translation>
    </message>
    <message>
        <source>Next battery replacement:</source>
        <translation>Prochain remplacement&#xa0;:</translation>
    </message>
    <message>
        <source>Next scheduled shutdown:</source>
        <translation>Prochain arrêt planifié&#xa0;:</translation>
    </message>
    <message>
        <source>Shutting down</source>
        <translation>Arrêt en cours</translation>
    </message>
    <message>
        <source>%1%</source>
        <translation>%1&#xa0;%</translation>
    </message>
    <message>
        <source>Waiting for the agent…</source>
        <translation>En attente de l’agent…</translation>
    </message>
    <message>
        <source>Disconnect</source>
        <translation>Déconnecté</translation>
    </message>
    <message>
        <source>Connected</source>
        <translation>Connecté</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>Inconnu</translation>
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
        <translation>À remplacer</translation>
    </message>
    <message>
        <source>Low</source>
        <translation>Faible</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Aucun</translation>
    </message>
    <message>
        <source>Not sent</source>
        <translation>Non envoyé</translation>
    </message>
    <message>
        <source>The request to cancel the shutdown could not be sent: %1</source>
        <translation>La demande d’annulation de l’arrêt n’a pas pu être envoyée&#xa0;: %1</translation>
    </message>
    <message>
        <source>No user guide</source>
        <translation>Guide d’utilisation indisponible</translation>
    </message>
    <message>
        <source>No web browser could open the user guide, %1.</source>
        <translation>Aucun navigateur web n’a pu ouvrir le guide d’utilisation, %1.</translation>
    </message>
    <message>
        <source>The user guide cannot be opened: %1 is missing.</source>
        <translation>Le guide d’utilisation ne peut pas être ouvert&#xa0;: %1 est introuvable.</translation>
    </message>
</context>
<context>
    <name>Measurement</name>
    <message>
        <source>Battery Voltage</source>
        <translation>Tension batterie</translation>
    </message>
    <message>
        <source>Battery Current</source>
        <translation>Courant batterie</translation>
    </message>
    <message>
        <source>Battery Level</source>
        <translation>Charge batterie</translation>
    </message>
    <message>
        <source>Input Frequency</source>
        <translation>Fréquence d’entrée</translation>
    </message>
    <message>
        <source>Input Voltage</source>
        <translation>Tension d’entrée</translation>
    </message>
    <message>
        <source>Input Current</source>
        <translation>Courant d’entrée</translation>
    </message>
    <message>
        <source>Input Frequency2</source>
        <translation>Fréquence d’entrée 2</translation>
    </message>
    <message>
        <source>Input Voltage2</source>
        <translation>Tension d’entrée 2</translation>
    </message>
    <message>
        <source>Input Current2</source>
        <translation>Courant d’entrée 2</translation>
    </message>
    <message>
        <source>Input Frequency3</source>
        <translation>Fréquence d’entrée 3</translation>
    </message>
    <message>
        <source>Input Voltage3</source>
        <translation>Tension d’entrée 3</translation>
    </message>
    <message>
        <source>Input Current3</source>
        <translation>Courant d’entrée 3</translation>
    </message>
    <message>
        <source>Output Frequency</source>
        <translation>Fréquence de sortie</translation>
    </message>
    <message>
        <source>Output Voltage</source>
        <translation>Tension de sortie</translation>
    </message>
    <message>
        <source>Output Current</source>
        <translation>Courant de sortie</translation>
    </message>
    <message>
        <source>Output Loading</source>
        <translation>Charge de sortie</translation>
    </message>
    <message>
        <source>Output Voltage2</source>
        <translation>Tension de sortie 2</translation>
    </message>
    <message>
        <source>Output Current2</source>
        <translation>Courant de sortie 2</translation>
    </message>
    <message>
        <source>Output Loading2</source>
        <translation>Charge de sortie 2</translation>
    </message>
    <message>
        <source>Output Voltage3</source>
        <translation>Tension de sortie 3</translation>
    </message>
    <message>
        <source>Output Current3</source>
        <translation>Courant de sortie 3</translation>
    </message>
    <message>
        <source>Output Loading3</source>
        <translation>Charge de sortie 3</translation>
    </message>
    <message>
        <source>Bypass Frequency</source>
        <translation>Fréquence bypass</translation>
    </message>
    <message>
        <source>Bypass Voltage</source>
        <translation>Tension bypass</translation>
    </message>
    <message>
        <source>Bypass Current</source>
        <translation>Courant bypass</translation>
    </message>
    <message>
        <source>Bypass Voltage2</source>
        <translation>Tension bypass 2</translation>
    </message>
    <message>
        <source>Bypass Current2</source>
        <translation>Courant bypass 2</translation>
    </message>
    <message>
        <source>Bypass Voltage3</source>
        <translation>Tension bypass 3</translation>
    </message>
    <message>
        <source>Bypass Current3</source>
        <translation>Courant bypass 3</translation>
    </message>
    <message>
        <source>Temperature</source>
        <translation>Température</translation>
    </message>
</context>
<context>
    <name>Panel</name>
    <message>
        <source>%1 volts</source>
        <translation>%1 volts</translation>
    </message>
    <message>
        <source>%1 amperes</source>
        <translation>%1 ampères</translation>
    </message>
    <message>
        <source>%1 percent</source>
        <translation>%1 pour cent</translation>
    </message>
    <message>
        <source>%1 hertz</source>
        <translation>%1 hertz</translation>
    </message>
    <message>
        <source>%1 degrees Celsius</source>
        <translation>%1 degrés Celsius</translation>
    </message>
    <message>
        <source>1 minute</source>
        <translation>1 minute</translation>
    </message>
    <message>
        <source>%1 minutes</source>
        <translation>%1 minutes</translation>
    </message>
    <message>
        <source>1 second</source>
        <translation>1 seconde</translation>
    </message>
    <message>
        <source>%1 seconds</source>
        <translation>%1 secondes</translation>
    </message>
    <message>
        <source>%1 %2</source>
        <translation>%1 %2</translation>
    </message>
    <message>
        <source>not set</source>
        <translation>non défini</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>inconnu</translation>
    </message>
    <message>
        <source>waiting for the agent</source>
        <translation>en attente de l’agent</translation>
    </message>
    <message>
        <source>disconnected</source>
        <translation>déconnecté</translation>
    </message>
    <message>
        <source>connected</source>
        <translation>connecté</translation>
    </message>
    <message>
        <source>battery</source>
        <translation>batterie</translation>
    </message>
    <message>
        <source>normal</source>
        <translation>normal</translation>
    </message>
    <message>
        <source>needs replacing</source>
        <translation>à remplacer</translation>
    </message>
    <message>
        <source>low</source>
        <translation>faible</translation>
    </message>
    <message>
        <source>Shutdown countdown</source>
        <translation>Compte à rebours avant l’arrêt</translation>
    </message>
    <message>
        <source>shutting down</source>
        <translation>arrêt en cours</translation>
    </message>
    <message>
        <source>Shutting down</source>
        <translation>Arrêt en cours</translation>
    </message>
    <message>
        <source>none pending</source>
        <translation>aucun en attente</translation>
    </message>
    <message>
        <source>No shutdown pending</source>
        <translation>Aucun arrêt en attente</translation>
    </message>
    <message>
        <source>time unknown</source>
        <translation>heure inconnue</translation>
    </message>
    <message>
        <source>Shutdown pending, time unknown</source>
        <translation>Arrêt imminent, heure inconnue</translation>
    </message>
    <message>
        <source>Shutdown in %1</source>
        <translation>Arrêt dans %1</translation>
    </message>
    <message>
        <source>Meter</source>
        <translation>Cadran de mesure</translation>
    </message>
    <message>
        <source>Communication lost</source>
        <translation>Communication perdue</translation>
    </message>
    <message>
        <source>Power failure</source>
        <translation>Coupure de courant</translation>
    </message>
    <message>
        <source>Battery low</source>
        <translation>Batterie faible</translation>
    </message>
    <message>
        <source>Replace battery</source>
        <translation>Batterie à remplacer</translation>
    </message>
    <message>
        <source>Overload</source>
        <translation>Surcharge</translation>
    </message>
    <message>
        <source>Overheat</source>
        <translation>Surchauffe</translation>
    </message>
    <message>
        <source>Beeper</source>
        <translation>Alarme sonore</translation>
    </message>
    <message>
        <source>on, last known</source>
        <translation>allumé, dernier état connu</translation>
    </message>
    <message>
        <source>off, last known</source>
        <translation>éteint, dernier état connu</translation>
    </message>
    <message>
        <source>on</source>
        <translation>allumé</translation>
    </message>
    <message>
        <source>off</source>
        <translation>éteint</translation>
    </message>
    <message>
        <source>Calendar</source>
        <translation>Calendrier</translation>
    </message>
    <message>
        <source>shutdown</source>
        <translation>arrêt</translation>
    </message>
    <message>
        <source>restart</source>
        <translation>redémarrage</translation>
    </message>
    <message>
        <source>test</source>
        <translation>test</translation>
    </message>
    <message>
        <source>deep test</source>
        <translation>test long</translation>
    </message>
    <message>
        <source>%1 at %2</source>
        <translation>%1 à %2</translation>
    </message>
    <message>
        <source>%1 selected, nothing planned</source>
        <translation>%1 sélectionné, rien de planifié</translation>
    </message>
    <message>
        <source>%1 selected, %2</source>
        <translation>%1 sélectionné, %2</translation>
    </message>
    <message>
        <source>Communication</source>
        <translation>Communication</translation>
    </message>
    <message>
        <source>Power source</source>
        <translation>Source d’alimentation</translation>
    </message>
    <message>
        <source>Battery status</source>
        <translation>État de la batterie</translation>
    </message>
    <message>
        <source>Battery level</source>
        <translation>Niveau de la batterie</translation>
    </message>
    <message>
        <source>Last battery replacement</source>
        <translation>Dernier remplacement de la batterie</translation>
    </message>
    <message>
        <source>Next battery replacement</source>
        <translation>Prochain remplacement de la batterie</translation>
    </message>
    <message>
        <source>Next scheduled shutdown</source>
        <translation>Prochain arrêt planifié</translation>
    </message>
    <message>
        <source>none</source>
        <translation>aucun</translation>
    </message>
    <message>
        <source>no reading</source>
        <translation>aucune mesure</translation>
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
        <translation>Préférences</translation>
    </message>
    <message>
        <source>Notify me of:</source>
        <translation>Me prévenir en cas de&#xa0;:</translation>
    </message>
    <message>
        <source>Power failure and return</source>
        <translation>Coupure et retour du courant</translation>
    </message>
    <message>
        <source>Low battery, battery to replace</source>
        <translation>Batterie faible, batterie à remplacer</translation>
    </message>
    <message>
        <source>Communication lost and restored</source>
        <translation>Communication perdue et rétablie</translation>
    </message>
    <message>
        <source>Shutdown countdown</source>
        <translation>Compte à rebours avant l’arrêt</translation>
    </message>
    <message>
        <source>Closing the window keeps the monitor in the tray</source>
        <translation>À la fermeture, rester dans la zone de notification</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>not a preferences file</source>
        <translation>pas un fichier de préférences</translation>
    </message>
    <message>
        <source>access denied</source>
        <translation>accès refusé</translation>
    </message>
    <message>
        <source>Not saved</source>
        <translation>Non enregistré</translation>
    </message>
    <message>
        <source>The preferences could not be saved: %1</source>
        <translation>Les préférences n’ont pas pu être enregistrées&#xa0;: %1</translation>
    </message>
    <message>
        <source>Start at login</source>
        <translation>Démarrer à l’ouverture de session</translation>
    </message>
    <message>
        <source>Starts the monitor when you log in to the desktop, its window closed where there is a tray</source>
        <translation>Démarre le moniteur à l’ouverture de votre session, fenêtre fermée s’il y a une zone de notification</translation>
    </message>
    <message>
        <source>Values older than this are lost (2–3600 s):</source>
        <translation>Valeurs perdues au-delà de (2–3600 s)&#xa0;:</translation>
    </message>
    <message>
        <source>From 2 to 3600 seconds</source>
        <translation>De 2 à 3600 secondes</translation>
    </message>
    <message>
        <source>Values count as lost after a number of seconds from %1 to %2.</source>
        <translation>Le délai au-delà duquel les valeurs sont perdues va de %1 à %2 secondes.</translation>
    </message>
    <message>
        <source>Starting at login could not be changed: %1</source>
        <translation>Le démarrage à l’ouverture de session n’a pas pu être modifié&#xa0;: %1</translation>
    </message>
    <message>
        <source>cannot remove %1: %2</source>
        <translation>impossible de supprimer %1&#xa0;: %2</translation>
    </message>
</context>
<context>
    <name>PropertyWindow</name>
    <message>
        <source>Property</source>
        <translation>Propriétés</translation>
    </message>
    <message>
        <source>Low battery level (%):</source>
        <translation>Batterie faible sous (%)&#xa0;:</translation>
    </message>
    <message>
        <source>Last battery replacement</source>
        <translation>Dernier remplacement de la batterie</translation>
    </message>
    <message>
        <source>Year</source>
        <translation>Année</translation>
    </message>
    <message>
        <source>Next battery replacement</source>
        <translation>Prochain remplacement de la batterie</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Month of the last battery replacement</source>
        <translation>Mois du dernier remplacement de la batterie</translation>
    </message>
    <message>
        <source>Day of the last battery replacement</source>
        <translation>Jour du dernier remplacement de la batterie</translation>
    </message>
    <message>
        <source>Year of the last battery replacement</source>
        <translation>Année du dernier remplacement de la batterie</translation>
    </message>
    <message>
        <source>Month of the next battery replacement</source>
        <translation>Mois du prochain remplacement de la batterie</translation>
    </message>
    <message>
        <source>Day of the next battery replacement</source>
        <translation>Jour du prochain remplacement de la batterie</translation>
    </message>
    <message>
        <source>Year of the next battery replacement</source>
        <translation>Année du prochain remplacement de la batterie</translation>
    </message>
    <message>
        <source>Not saved</source>
        <translation>Non enregistré</translation>
    </message>
    <message>
        <source>The next battery replacement (%1) cannot come before the last one (%2).</source>
        <translation>Le prochain remplacement de la batterie (%1) ne peut pas précéder le dernier (%2).</translation>
    </message>
</context>
<context>
    <name>ScheduleWindow</name>
    <message>
        <source>Schedule</source>
        <translation>Planification</translation>
    </message>
    <message>
        <source>Shutdown</source>
        <translation>Arrêt</translation>
    </message>
    <message>
        <source>Restart</source>
        <translation>Redémarrer</translation>
    </message>
    <message>
        <source>Test</source>
        <translation>Test</translation>
    </message>
    <message>
        <source>Deep test</source>
        <translation>Test long</translation>
    </message>
    <message>
        <source>Action</source>
        <translation>Action</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Heure</translation>
    </message>
    <message>
        <source>This day</source>
        <translation>Ce jour</translation>
    </message>
    <message>
        <source>Every day</source>
        <translation>Chaque jour</translation>
    </message>
    <message>
        <source>Every week</source>
        <translation>Chaque semaine</translation>
    </message>
    <message>
        <source>Every month</source>
        <translation>Chaque mois</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Aucune</translation>
    </message>
    <message>
        <source>Year</source>
        <translation>Année</translation>
    </message>
    <message>
        <source>Month</source>
        <translation>Mois</translation>
    </message>
    <message>
        <source>Action 1</source>
        <translation>Action 1</translation>
    </message>
    <message>
        <source>Hour 1</source>
        <translation>Heure 1</translation>
    </message>
    <message>
        <source>Minute 1</source>
        <translation>Minute 1</translation>
    </message>
    <message>
        <source>Action 2</source>
        <translation>Action 2</translation>
    </message>
    <message>
        <source>Hour 2</source>
        <translation>Heure 2</translation>
    </message>
    <message>
        <source>Minute 2</source>
        <translation>Minute 2</translation>
    </message>
    <message>
        <source>Action 3</source>
        <translation>Action 3</translation>
    </message>
    <message>
        <source>Hour 3</source>
        <translation>Heure 3</translation>
    </message>
    <message>
        <source>Minute 3</source>
        <translation>Minute 3</translation>
    </message>
    <message>
        <source>Action 4</source>
        <translation>Action 4</translation>
    </message>
    <message>
        <source>Hour 4</source>
        <translation>Heure 4</translation>
    </message>
    <message>
        <source>Minute 4</source>
        <translation>Minute 4</translation>
    </message>
    <message>
        <source>Action 5</source>
        <translation>Action 5</translation>
    </message>
    <message>
        <source>Hour 5</source>
        <translation>Heure 5</translation>
    </message>
    <message>
        <source>Minute 5</source>
        <translation>Minute 5</translation>
    </message>
    <message>
        <source>Action 6</source>
        <translation>Action 6</translation>
    </message>
    <message>
        <source>Hour 6</source>
        <translation>Heure 6</translation>
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
        <translation>agent actif, l’onduleur ne répond pas</translation>
    </message>
    <message>
        <source>agent running, UPS not answering: %1</source>
        <translation>agent actif, l’onduleur ne répond pas&#xa0;: %1</translation>
    </message>
    <message>
        <source>program folder %1 not found</source>
        <translation>dossier du programme %1 introuvable</translation>
    </message>
    <message>
        <source>program folder %1 not readable: needs %2</source>
        <translation>dossier du programme %1 illisible&#xa0;: il faut %2</translation>
    </message>
    <message>
        <source>agent not running</source>
        <translation>l’agent ne tourne pas</translation>
    </message>
    <message>
        <source>no update for %1 s</source>
        <translation>aucune mise à jour depuis %1 s</translation>
    </message>
    <message>
        <source>values written by user %1 ignored</source>
        <translation>valeurs écrites par l’utilisateur %1 ignorées</translation>
    </message>
    <message>
        <source>no values from the agent</source>
        <translation>aucune valeur de l’agent</translation>
    </message>
    <message>
        <source>program folder %1 was moved or renamed: still read where it went</source>
        <translation>le dossier du programme %1 a été déplacé ou renommé&#xa0;: toujours lu à son nouvel emplacement</translation>
    </message>
</context>
</TS>
