<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="it">
<context>
    <name>Lullwood</name>
    <message>
        <source>Never</source>
        <translation>Mai</translation>
    </message>
    <message>
        <source>Rarely</source>
        <translation>Raramente</translation>
    </message>
    <message>
        <source>Occasionally</source>
        <translation>Talvolta</translation>
    </message>
    <message>
        <source>Frequently</source>
        <translation>Spesso</translation>
    </message>
    <message>
        <source>Step %1 of %2</source>
        <translation>Livello %1 di %2</translation>
    </message>
    <message>
        <source>S&amp;ound</source>
        <translation>S&amp;uoni</translation>
    </message>
    <message>
        <source>Original sounds (11 kHz, 8-bit)</source>
        <translation>Suoni originali (11 kHz, 8 bit)</translation>
    </message>
    <message>
        <source>Full-bandwidth sounds (44.1 kHz)</source>
        <translation>Suoni a banda completa (44,1 kHz)</translation>
    </message>
    <message>
        <source>Quillor Lullwood</source>
        <translation>Quillor Lullwood</translation>
    </message>
    <message>
        <source>&amp;Timer</source>
        <translation>&amp;Timer</translation>
    </message>
    <message>
        <source>Master Controls</source>
        <translation>Controlli generali</translation>
    </message>
    <message>
        <source>Mute</source>
        <translation>Muto</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Avvia</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>Volume</translation>
    </message>
    <message>
        <source>Backgrnd</source>
        <translation>Sottof.</translation>
    </message>
    <message>
        <source>Random</source>
        <translation>Casuali</translation>
    </message>
    <message>
        <source>Dynamic Random</source>
        <translation>Casuali dinamici</translation>
    </message>
    <message>
        <source>Clear all audio settings</source>
        <translation>Azzera l&apos;audio</translation>
    </message>
    <message>
        <source>Boost CPU Priority</source>
        <translation>Priorità CPU alta</translation>
    </message>
    <message>
        <source>Automatic Startup</source>
        <translation>Avvio automatico</translation>
    </message>
    <message>
        <source>Enable</source>
        <translation>Attiva</translation>
    </message>
    <message>
        <source>Auto Hide</source>
        <translation>Nascondi</translation>
    </message>
    <message>
        <source>Scenario filename:</source>
        <translation>File di scenario:</translation>
    </message>
    <message>
        <source>Browse...</source>
        <translation>Scegli...</translation>
    </message>
    <message>
        <source>Right Click anywhere to load or save a scenario.</source>
        <translation>Clic destro: carica o salva scenario.</translation>
    </message>
    <message>
        <source>Backgrounds (up to 3)</source>
        <translation>Sottofondi (fino a 3)</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Esci</translation>
    </message>
    <message>
        <source>Hide</source>
        <translation>Riduci</translation>
    </message>
    <message>
        <source>Random </source>
        <translation>Effetti casuali </translation>
    </message>
    <message>
        <source>Never         Rarely       Occasionally      Frequently</source>
        <translation>Mai           Raramente    Talvolta          Spesso</translation>
    </message>
    <message>
        <source>Background volume</source>
        <translation>Volume dei sottofondi</translation>
    </message>
    <message>
        <source>Random volume</source>
        <translation>Volume degli effetti casuali</translation>
    </message>
    <message>
        <source>Keep the computer awake while playing</source>
        <translation>Mantieni attivo il computer durante la riproduzione</translation>
    </message>
    <message>
        <source>Lullwood could not keep the computer awake (%1). The computer may sleep while the soundscape plays.</source>
        <translation>Lullwood non è riuscito a mantenere attivo il computer (%1). Il computer potrebbe andare in sospensione durante la riproduzione del paesaggio sonoro.</translation>
    </message>
    <message>
        <source>Quillor Lullwood (RTCLK=options) </source>
        <translation>Quillor Lullwood (clic dx=opzioni) </translation>
    </message>
    <message>
        <source>Failed to launch help.</source>
        <translation>Impossibile avviare la guida.</translation>
    </message>
    <message>
        <source>&amp;Load...</source>
        <translation>&amp;Carica...</translation>
    </message>
    <message>
        <source>&amp;Save...</source>
        <translation>&amp;Salva...</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Esci</translation>
    </message>
    <message>
        <source>&amp;Mute</source>
        <translation>&amp;Muto</translation>
    </message>
    <message>
        <source>&amp;Play</source>
        <translation>&amp;Avvia</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>&amp;Informazioni</translation>
    </message>
    <message>
        <source>&amp;Using Lullwood...</source>
        <translation>&amp;Uso di Lullwood...</translation>
    </message>
    <message>
        <source>&amp;Scenario</source>
        <translation>&amp;Scenario</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Aiuto</translation>
    </message>
    <message>
        <source>About Lullwood</source>
        <translation>Informazioni su Lullwood</translation>
    </message>
    <message>
        <source>Ocean Surf</source>
        <translation>Risacca oceanica</translation>
    </message>
    <message>
        <source>River</source>
        <translation>Fiume</translation>
    </message>
    <message>
        <source>White noise</source>
        <translation>Rumore bianco</translation>
    </message>
    <message>
        <source>Night time</source>
        <translation>Notte</translation>
    </message>
    <message>
        <source>Rain</source>
        <translation>Pioggia</translation>
    </message>
    <message>
        <source>Wind</source>
        <translation>Vento</translation>
    </message>
    <message>
        <source>Waterfall </source>
        <translation>Cascata </translation>
    </message>
    <message>
        <source>Brook</source>
        <translation>Ruscello</translation>
    </message>
    <message>
        <source>Heartbeat</source>
        <translation>Battito cardiaco</translation>
    </message>
    <message>
        <source>Indian drum</source>
        <translation>Tabla indiana</translation>
    </message>
    <message>
        <source>South Am. jungle</source>
        <translation>Giungla sudamer.</translation>
    </message>
    <message>
        <source>African jungle</source>
        <translation>Giungla africana</translation>
    </message>
    <message>
        <source>Train track</source>
        <translation>Treno sui binari</translation>
    </message>
    <message>
        <source>Pink Noise</source>
        <translation>Rumore rosa</translation>
    </message>
    <message>
        <source>Ocean Breakers</source>
        <translation>Frangenti oceanici</translation>
    </message>
    <message>
        <source>Stream</source>
        <translation>Torrente</translation>
    </message>
    <message>
        <source>Rain on glass</source>
        <translation>Pioggia sui vetri</translation>
    </message>
    <message>
        <source>Light wind</source>
        <translation>Vento leggero</translation>
    </message>
    <message>
        <source>Heavy wind</source>
        <translation>Vento forte</translation>
    </message>
    <message>
        <source>Strange wind</source>
        <translation>Vento inquietante</translation>
    </message>
    <message>
        <source>Factory</source>
        <translation>Fabbrica</translation>
    </message>
    <message>
        <source>Museum</source>
        <translation>Museo</translation>
    </message>
    <message>
        <source>Clock tick</source>
        <translation>Tic-tac d&apos;orologio</translation>
    </message>
    <message>
        <source>Dog Bark</source>
        <translation>Latrato</translation>
    </message>
    <message>
        <source>Horse</source>
        <translation>Cavallo</translation>
    </message>
    <message>
        <source>Wolves</source>
        <translation>Lupi</translation>
    </message>
    <message>
        <source>Loon cry</source>
        <translation>Strolaga</translation>
    </message>
    <message>
        <source>Nightingale</source>
        <translation>Usignolo</translation>
    </message>
    <message>
        <source>Crow</source>
        <translation>Cornacchia</translation>
    </message>
    <message>
        <source>Bird</source>
        <translation>Uccello</translation>
    </message>
    <message>
        <source>High gliss</source>
        <translation>Gliss. acuto</translation>
    </message>
    <message>
        <source>Sea Gull</source>
        <translation>Gabbiano</translation>
    </message>
    <message>
        <source>Whale</source>
        <translation>Balena</translation>
    </message>
    <message>
        <source>Ominous note</source>
        <translation>Nota sinistra</translation>
    </message>
    <message>
        <source>Hawk</source>
        <translation>Falco</translation>
    </message>
    <message>
        <source>Church bell</source>
        <translation>Campana</translation>
    </message>
    <message>
        <source>Distant thunder</source>
        <translation>Tuono lontano</translation>
    </message>
    <message>
        <source>Loon 2</source>
        <translation>Strolaga 2</translation>
    </message>
    <message>
        <source>Train whistle</source>
        <translation>Fischio treno</translation>
    </message>
    <message>
        <source>Cardinal</source>
        <translation>Cardinale</translation>
    </message>
    <message>
        <source>Ship&apos;s horn</source>
        <translation>Sirena di nave</translation>
    </message>
    <message>
        <source>Sea Lion</source>
        <translation>Leone marino</translation>
    </message>
    <message>
        <source>Distant Gulls</source>
        <translation>Gabbiani lont.</translation>
    </message>
    <message>
        <source>Pan flute</source>
        <translation>Flauto di Pan</translation>
    </message>
    <message>
        <source>Big thunder</source>
        <translation>Tuono forte</translation>
    </message>
    <message>
        <source>RW Blackbird</source>
        <translation>Itt. alirosse</translation>
    </message>
    <message>
        <source>Wh. Crane</source>
        <translation>Gru americana</translation>
    </message>
    <message>
        <source>Oceanliner</source>
        <translation>Transatlantico</translation>
    </message>
    <message>
        <source>Cattle</source>
        <translation>Mucche</translation>
    </message>
    <message>
        <source>Robin </source>
        <translation>Pettirosso </translation>
    </message>
    <message>
        <source>Woodpecker</source>
        <translation>Picchio</translation>
    </message>
    <message>
        <source>Frog</source>
        <translation>Rana</translation>
    </message>
    <message>
        <source>Crickets</source>
        <translation>Grilli</translation>
    </message>
    <message>
        <source>High Chimes</source>
        <translation>Campanellini</translation>
    </message>
    <message>
        <source>*ERROR* Could not write to registry.</source>
        <translation>*ERRORE* Impossibile salvare le impostazioni.</translation>
    </message>
    <message>
        <source>Suspend the computer when stopped</source>
        <translation>Sospendi il computer al termine</translation>
    </message>
    <message>
        <source>&amp;Off</source>
        <translation>&amp;Disattivato</translation>
    </message>
    <message>
        <source>15 minutes</source>
        <translation>15 minuti</translation>
    </message>
    <message>
        <source>30 minutes</source>
        <translation>30 minuti</translation>
    </message>
    <message>
        <source>45 minutes</source>
        <translation>45 minuti</translation>
    </message>
    <message>
        <source>1 hour</source>
        <translation>1 ora</translation>
    </message>
    <message>
        <source>1½ hours</source>
        <translation>1 ora e mezza</translation>
    </message>
    <message>
        <source>2 hours</source>
        <translation>2 ore</translation>
    </message>
    <message>
        <source>Fading out</source>
        <translation>Dissolvenza in corso</translation>
    </message>
    <message>
        <source>*ERROR* Could not save the scenario file.</source>
        <translation>*ERRORE* Impossibile salvare il file dello scenario.</translation>
    </message>
    <message>
        <source>Lullwood Scenarios (*.lwd)</source>
        <translation>Scenari di Lullwood (*.lwd)</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>Tutti i file (*)</translation>
    </message>
    <message>
        <source>Stops in %1 min</source>
        <translation>Si ferma tra %1 min</translation>
    </message>
    <message>
        <source>* You can only have three background sounds active.  Disable another one first. </source>
        <translation>* Si possono attivare solo tre sottofondi.  Disattivarne prima un altro. </translation>
    </message>
    <message>
        <source>*ERROR* DirectX Sound will not initialize.  Wave device may not be available.</source>
        <translation>*ERRORE* Impossibile inizializzare l&apos;audio DirectX.  Il dispositivo audio potrebbe non essere disponibile.</translation>
    </message>
    <message>
        <source>*ERROR* DirectX Sound will not initialize.  Wave device may not be available.  Try Again? </source>
        <translation>*ERRORE* Impossibile inizializzare l&apos;audio DirectX.  Il dispositivo audio potrebbe non essere disponibile.  Riprovare? </translation>
    </message>
    <message>
        <source>*ERROR* You must select a previously saved scenario filename with which to autostart.</source>
        <translation>*ERRORE* Per l&apos;avvio automatico occorre scegliere un file di scenario salvato in precedenza.</translation>
    </message>
    <message>
        <source>Lullwood is free software: you may share and change it under the GNU General Public License, version 3 or later. It comes with no warranty.</source>
        <translation>Lullwood è software libero: è possibile condividerlo e modificarlo secondo la GNU General Public License, versione 3 o successiva. È fornito senza alcuna garanzia.</translation>
    </message>
    <message>
        <source>Playing a soundscape</source>
        <translation>Riproduzione di un paesaggio sonoro</translation>
    </message>
    <message>
        <source>there is no system bus</source>
        <translation>non c&apos;è un bus di sistema</translation>
    </message>
    <message>
        <source>the login manager gave no hold</source>
        <translation>il gestore delle sessioni non ha concesso alcun blocco</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Lullwood is an ambient-sound generator: up to three looping backgrounds and 31 random sound effects, mixed into one soundscape that plays for as long as you like.</source>
        <translation>Lullwood è un generatore di suoni ambientali: fino a tre sottofondi in ciclo continuo e 31 effetti sonori casuali, mescolati in un unico paesaggio sonoro che suona per tutto il tempo che vuoi.</translation>
    </message>
    <message>
        <source>Every sound is synthesised by Lullwood itself and built into the program; none is recorded or downloaded.</source>
        <translation>Ogni suono è sintetizzato da Lullwood stesso e incorporato nel programma; nessuno è registrato né scaricato.</translation>
    </message>
    <message>
        <source>For help, choose Help &gt; Using Lullwood... in the main window.</source>
        <translation>Per assistenza, scegli Aiuto &gt; Uso di Lullwood... nella finestra principale.</translation>
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
        <translation>Guida di Lullwood</translation>
    </message>
    <message>
        <source>&amp;Contents</source>
        <translation>&amp;Sommario</translation>
    </message>
    <message>
        <source>&amp;Back</source>
        <translation>&amp;Indietro</translation>
    </message>
    <message>
        <source>&amp;Forward</source>
        <translation>&amp;Avanti</translation>
    </message>
    <message>
        <source>C&amp;lose</source>
        <translation>&amp;Chiudi</translation>
    </message>
    <message>
        <source>Lullwood Help - %1</source>
        <translation>Guida di Lullwood - %1</translation>
    </message>
</context>
</TS>
