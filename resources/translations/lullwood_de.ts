<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>Lullwood</name>
    <message>
        <source>Never</source>
        <translation>Nie</translation>
    </message>
    <message>
        <source>Rarely</source>
        <translation>Selten</translation>
    </message>
    <message>
        <source>Occasionally</source>
        <translation>Gelegentlich</translation>
    </message>
    <message>
        <source>Frequently</source>
        <translation>Häufig</translation>
    </message>
    <message>
        <source>Step %1 of %2</source>
        <translation>Stufe %1 von %2</translation>
    </message>
    <message>
        <source>S&amp;ound</source>
        <translation>&amp;Klang</translation>
    </message>
    <message>
        <source>Original sounds (11 kHz, 8-bit)</source>
        <translation>Originalklänge (11 kHz, 8 Bit)</translation>
    </message>
    <message>
        <source>Full-bandwidth sounds (44.1 kHz)</source>
        <translation>Klänge mit voller Bandbreite (44,1 kHz)</translation>
    </message>
    <message>
        <source>Quillor Lullwood</source>
        <translation>Quillor Lullwood</translation>
    </message>
    <message>
        <source>&amp;Timer</source>
        <translation>&amp;Einschlaftimer</translation>
    </message>
    <message>
        <source>Master Controls</source>
        <translation>Hauptsteuerung</translation>
    </message>
    <message>
        <source>Mute</source>
        <translation>Stumm</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>Lautst.</translation>
    </message>
    <message>
        <source>Backgrnd</source>
        <translation>Hinterg.</translation>
    </message>
    <message>
        <source>Random</source>
        <translation>Zufall</translation>
    </message>
    <message>
        <source>Dynamic Random</source>
        <translation>Dynamischer Zufall</translation>
    </message>
    <message>
        <source>Clear all audio settings</source>
        <translation>Alles zurücksetzen</translation>
    </message>
    <message>
        <source>Boost CPU Priority</source>
        <translation>Priorität erhöhen</translation>
    </message>
    <message>
        <source>Automatic Startup</source>
        <translation>Automatischer Start</translation>
    </message>
    <message>
        <source>Enable</source>
        <translation>Aktiv</translation>
    </message>
    <message>
        <source>Auto Hide</source>
        <translation>Versteckt</translation>
    </message>
    <message>
        <source>Scenario filename:</source>
        <translation>Szenariodatei:</translation>
    </message>
    <message>
        <source>Browse...</source>
        <translation>Wählen...</translation>
    </message>
    <message>
        <source>Right Click anywhere to load or save a scenario.</source>
        <translation>Laden/Speichern mit rechtem Mausklick.</translation>
    </message>
    <message>
        <source>Backgrounds (up to 3)</source>
        <translation>Hintergründe (max. 3)</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Hide</source>
        <translation>Ablegen</translation>
    </message>
    <message>
        <source>Random </source>
        <translation>Zufallsgeräusche </translation>
    </message>
    <message>
        <source>Never         Rarely       Occasionally      Frequently</source>
        <translation>Nie           Selten       Gelegentlich      Häufig</translation>
    </message>
    <message>
        <source>Background volume</source>
        <translation>Lautstärke der Hintergründe</translation>
    </message>
    <message>
        <source>Random volume</source>
        <translation>Lautstärke der Zufallsgeräusche</translation>
    </message>
    <message>
        <source>Keep the computer awake while playing</source>
        <translation>Computer während der Wiedergabe wach halten</translation>
    </message>
    <message>
        <source>Lullwood could not keep the computer awake (%1). The computer may sleep while the soundscape plays.</source>
        <translation>Lullwood konnte den Computer nicht wach halten (%1). Der Computer kann in den Bereitschaftsmodus wechseln, während die Klangkulisse spielt.</translation>
    </message>
    <message>
        <source>Quillor Lullwood (RTCLK=options) </source>
        <translation>Quillor Lullwood (Rechtsklick=Optionen) </translation>
    </message>
    <message>
        <source>Failed to launch help.</source>
        <translation>Die Hilfe konnte nicht gestartet werden.</translation>
    </message>
    <message>
        <source>&amp;Load...</source>
        <translation>&amp;Laden...</translation>
    </message>
    <message>
        <source>&amp;Save...</source>
        <translation>&amp;Speichern...</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>&amp;Mute</source>
        <translation>St&amp;umm</translation>
    </message>
    <message>
        <source>&amp;Play</source>
        <translation>St&amp;art</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>Ü&amp;ber Lullwood</translation>
    </message>
    <message>
        <source>&amp;Using Lullwood...</source>
        <translation>&amp;Lullwood verwenden...</translation>
    </message>
    <message>
        <source>&amp;Scenario</source>
        <translation>&amp;Szenario</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>About Lullwood</source>
        <translation>Über Lullwood</translation>
    </message>
    <message>
        <source>Ocean Surf</source>
        <translation>Meeresbrandung</translation>
    </message>
    <message>
        <source>River</source>
        <translation>Fluss</translation>
    </message>
    <message>
        <source>White noise</source>
        <translation>Weißes Rauschen</translation>
    </message>
    <message>
        <source>Night time</source>
        <translation>Nacht</translation>
    </message>
    <message>
        <source>Rain</source>
        <translation>Regen</translation>
    </message>
    <message>
        <source>Wind</source>
        <translation>Wind</translation>
    </message>
    <message>
        <source>Waterfall </source>
        <translation>Wasserfall </translation>
    </message>
    <message>
        <source>Brook</source>
        <translation>Bach</translation>
    </message>
    <message>
        <source>Heartbeat</source>
        <translation>Herzschlag</translation>
    </message>
    <message>
        <source>Indian drum</source>
        <translation>Indische Trommel</translation>
    </message>
    <message>
        <source>South Am. jungle</source>
        <translation>Südamer. Dschungel</translation>
    </message>
    <message>
        <source>African jungle</source>
        <translation>Afrikan. Dschungel</translation>
    </message>
    <message>
        <source>Train track</source>
        <translation>Ratternder Zug</translation>
    </message>
    <message>
        <source>Pink Noise</source>
        <translation>Rosa Rauschen</translation>
    </message>
    <message>
        <source>Ocean Breakers</source>
        <translation>Brechende Wellen</translation>
    </message>
    <message>
        <source>Stream</source>
        <translation>Wasserlauf</translation>
    </message>
    <message>
        <source>Rain on glass</source>
        <translation>Regen am Fenster</translation>
    </message>
    <message>
        <source>Light wind</source>
        <translation>Leichter Wind</translation>
    </message>
    <message>
        <source>Heavy wind</source>
        <translation>Starker Wind</translation>
    </message>
    <message>
        <source>Strange wind</source>
        <translation>Unheimlicher Wind</translation>
    </message>
    <message>
        <source>Factory</source>
        <translation>Fabrik</translation>
    </message>
    <message>
        <source>Museum</source>
        <translation>Museumsstille</translation>
    </message>
    <message>
        <source>Clock tick</source>
        <translation>Tickende Uhr</translation>
    </message>
    <message>
        <source>Dog Bark</source>
        <translation>Hundegebell</translation>
    </message>
    <message>
        <source>Horse</source>
        <translation>Pferd</translation>
    </message>
    <message>
        <source>Wolves</source>
        <translation>Wölfe</translation>
    </message>
    <message>
        <source>Loon cry</source>
        <translation>Eistaucherruf</translation>
    </message>
    <message>
        <source>Nightingale</source>
        <translation>Nachtigall</translation>
    </message>
    <message>
        <source>Crow</source>
        <translation>Krähe</translation>
    </message>
    <message>
        <source>Bird</source>
        <translation>Vogel</translation>
    </message>
    <message>
        <source>High gliss</source>
        <translation>Hohes Gliss.</translation>
    </message>
    <message>
        <source>Sea Gull</source>
        <translation>Möwe</translation>
    </message>
    <message>
        <source>Whale</source>
        <translation>Wal</translation>
    </message>
    <message>
        <source>Ominous note</source>
        <translation>Düsterer Ton</translation>
    </message>
    <message>
        <source>Hawk</source>
        <translation>Bussard</translation>
    </message>
    <message>
        <source>Church bell</source>
        <translation>Kirchenglocke</translation>
    </message>
    <message>
        <source>Distant thunder</source>
        <translation>Ferner Donner</translation>
    </message>
    <message>
        <source>Loon 2</source>
        <translation>Eistaucher 2</translation>
    </message>
    <message>
        <source>Train whistle</source>
        <translation>Lokpfeife</translation>
    </message>
    <message>
        <source>Cardinal</source>
        <translation>Rotkardinal</translation>
    </message>
    <message>
        <source>Ship&apos;s horn</source>
        <translation>Schiffshorn</translation>
    </message>
    <message>
        <source>Sea Lion</source>
        <translation>Seelöwe</translation>
    </message>
    <message>
        <source>Distant Gulls</source>
        <translation>Ferne Möwen</translation>
    </message>
    <message>
        <source>Pan flute</source>
        <translation>Panflöte</translation>
    </message>
    <message>
        <source>Big thunder</source>
        <translation>Donnerschlag</translation>
    </message>
    <message>
        <source>RW Blackbird</source>
        <translation>Rotschulterst.</translation>
    </message>
    <message>
        <source>Wh. Crane</source>
        <translation>Schreikranich</translation>
    </message>
    <message>
        <source>Oceanliner</source>
        <translation>Ozeandampfer</translation>
    </message>
    <message>
        <source>Cattle</source>
        <translation>Kühe</translation>
    </message>
    <message>
        <source>Robin </source>
        <translation>Wanderdrossel </translation>
    </message>
    <message>
        <source>Woodpecker</source>
        <translation>Specht</translation>
    </message>
    <message>
        <source>Frog</source>
        <translation>Frosch</translation>
    </message>
    <message>
        <source>Crickets</source>
        <translation>Grillen</translation>
    </message>
    <message>
        <source>High Chimes</source>
        <translation>Windglöckchen</translation>
    </message>
    <message>
        <source>*ERROR* Could not write to registry.</source>
        <translation>*FEHLER* Die Einstellungen konnten nicht gespeichert werden.</translation>
    </message>
    <message>
        <source>Suspend the computer when stopped</source>
        <translation>Computer nach dem Stoppen in Bereitschaft versetzen</translation>
    </message>
    <message>
        <source>&amp;Off</source>
        <translation>&amp;Aus</translation>
    </message>
    <message>
        <source>15 minutes</source>
        <translation>15 Minuten</translation>
    </message>
    <message>
        <source>30 minutes</source>
        <translation>30 Minuten</translation>
    </message>
    <message>
        <source>45 minutes</source>
        <translation>45 Minuten</translation>
    </message>
    <message>
        <source>1 hour</source>
        <translation>1 Stunde</translation>
    </message>
    <message>
        <source>1½ hours</source>
        <translation>1½ Stunden</translation>
    </message>
    <message>
        <source>2 hours</source>
        <translation>2 Stunden</translation>
    </message>
    <message>
        <source>Fading out</source>
        <translation>Wird ausgeblendet</translation>
    </message>
    <message>
        <source>*ERROR* Could not save the scenario file.</source>
        <translation>*FEHLER* Die Szenariodatei konnte nicht gespeichert werden.</translation>
    </message>
    <message>
        <source>Lullwood Scenarios (*.lwd)</source>
        <translation>Lullwood-Szenarien (*.lwd)</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Stops in %1 min</source>
        <translation>Stoppt in %1 Min.</translation>
    </message>
    <message>
        <source>* You can only have three background sounds active.  Disable another one first. </source>
        <translation>* Es können nur drei Hintergrundklänge aktiv sein.  Schalten Sie zuerst einen anderen aus. </translation>
    </message>
    <message>
        <source>*ERROR* DirectX Sound will not initialize.  Wave device may not be available.</source>
        <translation>*FEHLER* DirectX Sound lässt sich nicht starten.  Das Audiogerät ist möglicherweise nicht verfügbar.</translation>
    </message>
    <message>
        <source>*ERROR* DirectX Sound will not initialize.  Wave device may not be available.  Try Again? </source>
        <translation>*FEHLER* DirectX Sound lässt sich nicht starten.  Das Audiogerät ist möglicherweise nicht verfügbar.  Erneut versuchen? </translation>
    </message>
    <message>
        <source>*ERROR* You must select a previously saved scenario filename with which to autostart.</source>
        <translation>*FEHLER* Wählen Sie für den automatischen Start eine zuvor gespeicherte Szenario-Datei.</translation>
    </message>
    <message>
        <source>Lullwood is free software: you may share and change it under the GNU General Public License, version 3 or later. It comes with no warranty.</source>
        <translation>Lullwood ist freie Software: Sie dürfen es unter der GNU General Public License, Version 3 oder später, weitergeben und verändern. Es wird ohne jede Gewährleistung geliefert.</translation>
    </message>
    <message>
        <source>Playing a soundscape</source>
        <translation>Eine Klangkulisse wird abgespielt</translation>
    </message>
    <message>
        <source>there is no system bus</source>
        <translation>es gibt keinen Systembus</translation>
    </message>
    <message>
        <source>the login manager gave no hold</source>
        <translation>die Sitzungsverwaltung gab keine Sperre</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Lullwood is an ambient-sound generator: up to three looping backgrounds and 31 random sound effects, mixed into one soundscape that plays for as long as you like.</source>
        <translation>Lullwood ist ein Generator für Umgebungsklänge: bis zu drei Hintergründe in Endlosschleife und 31 zufällige Klangeffekte, gemischt zu einer Klangkulisse, die so lange spielt, wie Sie möchten.</translation>
    </message>
    <message>
        <source>Every sound is synthesised by Lullwood itself and built into the program; none is recorded or downloaded.</source>
        <translation>Jeder Klang wird von Lullwood selbst synthetisiert und ist in das Programm eingebaut; keiner ist aufgenommen oder heruntergeladen.</translation>
    </message>
    <message>
        <source>For help, choose Help &gt; Using Lullwood... in the main window.</source>
        <translation>Hilfe erhalten Sie im Hauptfenster über Hilfe &gt; Lullwood verwenden...</translation>
    </message>
</context>
<context>
    <name>lullwood::CAboutDialog</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>lullwood::HelpWindow</name>
    <message>
        <source>Lullwood Help</source>
        <translation>Lullwood-Hilfe</translation>
    </message>
    <message>
        <source>&amp;Contents</source>
        <translation>&amp;Inhalt</translation>
    </message>
    <message>
        <source>&amp;Back</source>
        <translation>&amp;Zurück</translation>
    </message>
    <message>
        <source>&amp;Forward</source>
        <translation>&amp;Vorwärts</translation>
    </message>
    <message>
        <source>C&amp;lose</source>
        <translation>&amp;Schließen</translation>
    </message>
    <message>
        <source>Lullwood Help - %1</source>
        <translation>Lullwood-Hilfe - %1</translation>
    </message>
</context>
</TS>
