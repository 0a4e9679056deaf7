<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
<context>
    <name>Lullwood</name>
    <message>
        <source>Never</source>
        <translation>Jamais</translation>
    </message>
    <message>
        <source>Rarely</source>
        <translation>Rarement</translation>
    </message>
    <message>
        <source>Occasionally</source>
        <translation>Parfois</translation>
    </message>
    <message>
        <source>Frequently</source>
        <translation>Souvent</translation>
    </message>
    <message>
        <source>Step %1 of %2</source>
        <translation>Niveau %1 sur %2</translation>
    </message>
    <message>
        <source>S&amp;ound</source>
        <translation>S&amp;on</translation>
    </message>
    <message>
        <source>Original sounds (11 kHz, 8-bit)</source>
        <translation>Sons d’origine (11 kHz, 8 bits)</translation>
    </message>
    <message>
        <source>Full-bandwidth sounds (44.1 kHz)</source>
        <translation>Sons pleine bande (44,1 kHz)</translation>
    </message>
    <message>
        <source>Quillor Lullwood</source>
        <translation>Quillor Lullwood</translation>
    </message>
    <message>
        <source>&amp;Timer</source>
        <translation>Minu&amp;terie</translation>
    </message>
    <message>
        <source>Master Controls</source>
        <translation>Commandes principales</translation>
    </message>
    <message>
        <source>Mute</source>
        <translation>Muet</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Lire</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>Volume</translation>
    </message>
    <message>
        <source>Backgrnd</source>
        <translation>Fonds</translation>
    </message>
    <message>
        <source>Random</source>
        <translation>Aléat.</translation>
    </message>
    <message>
        <source>Dynamic Random</source>
        <translation>Aléat. dynamique</translation>
    </message>
    <message>
        <source>Clear all audio settings</source>
        <translation>Tout réinitialiser</translation>
    </message>
    <message>
        <source>Boost CPU Priority</source>
        <translation>Priorité élevée</translation>
    </message>
    <message>
        <source>Automatic Startup</source>
        <translation>Démarrage automatique</translation>
    </message>
    <message>
        <source>Enable</source>
        <translation>Activer</translation>
    </message>
    <message>
        <source>Auto Hide</source>
        <translation>Caché</translation>
    </message>
    <message>
        <source>Scenario filename:</source>
        <translation>Fichier scénario&#xa0;:</translation>
    </message>
    <message>
        <source>Browse...</source>
        <translation>Ouvrir...</translation>
    </message>
    <message>
        <source>Right Click anywhere to load or save a scenario.</source>
        <translation>Clic droit&#xa0;: charger ou enreg. scénario.</translation>
    </message>
    <message>
        <source>Backgrounds (up to 3)</source>
        <translation>Fonds sonores (3 max.)</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Quitter</translation>
    </message>
    <message>
        <source>Hide</source>
        <translation>Masquer</translation>
    </message>
    <message>
        <source>Random </source>
        <translation>Sons aléatoires </translation>
    </message>
    <message>
        <source>Never         Rarely       Occasionally      Frequently</source>
        <translation>Jamais        Rarement     Parfois           Souvent</translation>
    </message>
    <message>
        <source>Background volume</source>
        <translation>Volume des fonds sonores</translation>
    </message>
    <message>
        <source>Random volume</source>
        <translation>Volume des sons aléatoires</translation>
    </message>
    <message>
        <source>Keep the computer awake while playing</source>
        <translation>Empêcher la mise en veille pendant la lecture</translation>
    </message>
    <message>
        <source>Lullwood could not keep the computer awake (%1). The computer may sleep while the soundscape plays.</source>
        <translation>Lullwood n’a pas pu empêcher la mise en veille de l’ordinateur (%1). L’ordinateur risque de se mettre en veille pendant la lecture de l’ambiance sonore.</translation>
    </message>
    <message>
        <source>Quillor Lullwood (RTCLK=options) </source>
        <translation>Quillor Lullwood (clic droit=options) </translation>
    </message>
    <message>
        <source>Failed to launch help.</source>
        <translation>Impossible de lancer l’aide.</translation>
    </message>
    <message>
        <source>&amp;Load...</source>
        <translation>&amp;Charger...</translation>
    </message>
    <message>
        <source>&amp;Save...</source>
        <translation>&amp;Enregistrer...</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Quitter</translation>
    </message>
    <message>
        <source>&amp;Mute</source>
        <translation>&amp;Muet</translation>
    </message>
    <message>
        <source>&amp;Play</source>
        <translation>&amp;Lire</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>À &amp;propos</translation>
    </message>
    <message>
        <source>&amp;Using Lullwood...</source>
        <translation>&amp;Utiliser Lullwood...</translation>
    </message>
    <message>
        <source>&amp;Scenario</source>
        <translation>&amp;Scénario</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Aide</translation>
    </message>
    <message>
        <source>About Lullwood</source>
        <translation>À propos de Lullwood</translation>
    </message>
    <message>
        <source>Ocean Surf</source>
        <translation>Ressac de l’océan</translation>
    </message>
    <message>
        <source>River</source>
        <translation>Rivière</translation>
    </message>
    <message>
        <source>White noise</source>
        <translation>Bruit blanc</translation>
    </message>
    <message>
        <source>Night time</source>
        <translation>Ambiance nocturne</translation>
    </message>
    <message>
        <source>Rain</source>
        <translation>Pluie</translation>
    </message>
    <message>
        <source>Wind</source>
        <translation>Vent</translation>
    </message>
    <message>
        <source>Waterfall </source>
        <translation>Cascade </translation>
    </message>
    <message>
        <source>Brook</source>
        <translation>Ruisseau</translation>
    </message>
    <message>
        <source>Heartbeat</source>
        <translation>Battements de cœur</translation>
    </message>
    <message>
        <source>Indian drum</source>
        <translation>Tabla</translation>
    </message>
    <message>
        <source>South Am. jungle</source>
        <translation>Jungle sud-amér.</translation>
    </message>
    <message>
        <source>African jungle</source>
        <translation>Jungle africaine</translation>
    </message>
    <message>
        <source>Train track</source>
        <translation>Roulement de train</translation>
    </message>
    <message>
        <source>Pink Noise</source>
        <translation>Bruit rose</translation>
    </message>
    <message>
        <source>Ocean Breakers</source>
        <translation>Déferlantes</translation>
    </message>
    <message>
        <source>Stream</source>
        <translation>Cours d’eau</translation>
    </message>
    <message>
        <source>Rain on glass</source>
        <translation>Pluie sur la vitre</translation>
    </message>
    <message>
        <source>Light wind</source>
        <translation>Vent léger</translation>
    </message>
    <message>
        <source>Heavy wind</source>
        <translation>Vent fort</translation>
    </message>
    <message>
        <source>Strange wind</source>
        <translation>Vent étrange</translation>
    </message>
    <message>
        <source>Factory</source>
        <translation>Usine</translation>
    </message>
    <message>
        <source>Museum</source>
        <translation>Salle de musée</translation>
    </message>
    <message>
        <source>Clock tick</source>
        <translation>Tic-tac d’horloge</translation>
    </message>
    <message>
        <source>Dog Bark</source>
        <translation>Aboiement</translation>
    </message>
    <message>
        <source>Horse</source>
        <translation>Cheval</translation>
    </message>
    <message>
        <source>Wolves</source>
        <translation>Loups</translation>
    </message>
    <message>
        <source>Loon cry</source>
        <translation>Cri du huard</translation>
    </message>
    <message>
        <source>Nightingale</source>
        <translation>Rossignol</translation>
    </message>
    <message>
        <source>Crow</source>
        <translation>Corneille</translation>
    </message>
    <message>
        <source>Bird</source>
        <translation>Oiseau</translation>
    </message>
    <message>
        <source>High gliss</source>
        <translation>Glissando aigu</translation>
    </message>
    <message>
        <source>Sea Gull</source>
        <translation>Mouette</translation>
    </message>
    <message>
        <source>Whale</source>
        <translation>Baleine</translation>
    </message>
    <message>
        <source>Ominous note</source>
        <translation>Note sinistre</translation>
    </message>
    <message>
        <source>Hawk</source>
        <translation>Buse</translation>
    </message>
    <message>
        <source>Church bell</source>
        <translation>Cloche</translation>
    </message>
    <message>
        <source>Distant thunder</source>
        <translation>Orage lointain</translation>
    </message>
    <message>
        <source>Loon 2</source>
        <translation>Huard 2</translation>
    </message>
    <message>
        <source>Train whistle</source>
        <translation>Sifflet train</translation>
    </message>
    <message>
        <source>Cardinal</source>
        <translation>Cardinal rouge</translation>
    </message>
    <message>
        <source>Ship&apos;s horn</source>
        <translation>Corne de brume</translation>
    </message>
    <message>
        <source>Sea Lion</source>
        <translation>Otarie</translation>
    </message>
    <message>
        <source>Distant Gulls</source>
        <translation>Mouettes dist.</translation>
    </message>
    <message>
        <source>Pan flute</source>
        <translation>Flûte de Pan</translation>
    </message>
    <message>
        <source>Big thunder</source>
        <translation>Violent orage</translation>
    </message>
    <message>
        <source>RW Blackbird</source>
        <translation>Carouge</translation>
    </message>
    <message>
        <source>Wh. Crane</source>
        <translation>Grue blanche</translation>
    </message>
    <message>
        <source>Oceanliner</source>
        <translation>Paquebot</translation>
    </message>
    <message>
        <source>Cattle</source>
        <translation>Bétail</translation>
    </message>
    <message>
        <source>Robin </source>
        <translation>Rouge-gorge </translation>
    </message>
    <message>
        <source>Woodpecker</source>
        <translation>Pivert</translation>
    </message>
    <message>
        <source>Frog</source>
        <translation>Grenouille</translation>
    </message>
    <message>
        <source>Crickets</source>
        <translation>Grillons</translation>
    </message>
    <message>
        <source>High Chimes</source>
        <translation>Carillon aigu</translation>
    </message>
    <message>
        <source>*ERROR* Could not write to registry.</source>
        <translation>*ERREUR* Impossible d’écrire dans le registre.</translation>
    </message>
    <message>
        <source>Suspend the computer when stopped</source>
        <translation>Mettre l’ordinateur en veille à l’arrêt</translation>
    </message>
    <message>
        <source>&amp;Off</source>
        <translation>&amp;Désactivée</translation>
    </message>
    <message>
        <source>15 minutes</source>
        <translation>15 minutes</translation>
    </message>
    <message>
        <source>30 minutes</source>
        <translation>30 minutes</translation>
    </message>
    <message>
        <source>45 minutes</source>
        <translation>45 minutes</translation>
    </message>
    <message>
        <source>1 hour</source>
        <translation>1 heure</translation>
    </message>
    <message>
        <source>1½ hours</source>
        <translation>1 heure et demie</translation>
    </message>
    <message>
        <source>2 hours</source>
        <translation>2 heures</translation>
    </message>
    <message>
        <source>Fading out</source>
        <translation>Fondu en cours</translation>
    </message>
    <message>
        <source>*ERROR* Could not save the scenario file.</source>
        <translation>*ERREUR* Impossible d’enregistrer le fichier de scénario.</translation>
    </message>
    <message>
        <source>Lullwood Scenarios (*.lwd)</source>
        <translation>Scénarios Lullwood (*.lwd)</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>Tous les fichiers (*)</translation>
    </message>
    <message>
        <source>Stops in %1 min</source>
        <translation>Arrêt dans %1 min</translation>
    </message>
    <message>
        <source>* You can only have three background sounds active.  Disable another one first. </source>
        <translation>* Vous ne pouvez activer que trois fonds sonores à la fois.  Désactivez-en d’abord un autre. </translation>
    </message>
    <message>
        <source>*ERROR* DirectX Sound will not initialize.  Wave device may not be available.</source>
        <translation>*ERREUR* Impossible d’initialiser le son DirectX.  Le périphérique audio n’est peut-être pas disponible.</translation>
    </message>
    <message>
        <source>*ERROR* DirectX Sound will not initialize.  Wave device may not be available.  Try Again? </source>
        <translation>*ERREUR* Impossible d’initialiser le son DirectX.  Le périphérique audio n’est peut-être pas disponible.  Réessayer ? </translation>
    </message>
    <message>
        <source>*ERROR* You must select a previously saved scenario filename with which to autostart.</source>
        <translation>*ERREUR* Vous devez choisir un fichier de scénario déjà enregistré pour le démarrage automatique.</translation>
    </message>
    <message>
        <source>Lullwood is free software: you may share and change it under the GNU General Public License, version 3 or later. It comes with no warranty.</source>
        <translation>Lullwood est un logiciel libre : vous pouvez le redistribuer et le modifier selon les termes de la GNU General Public License, version 3 ou ultérieure. Il est fourni sans aucune garantie.</translation>
    </message>
    <message>
        <source>Playing a soundscape</source>
        <translation>Lecture d’un paysage sonore</translation>
    </message>
    <message>
        <source>there is no system bus</source>
        <translation>il n’y a pas de bus système</translation>
    </message>
    <message>
        <source>the login manager gave no hold</source>
        <translation>le gestionnaire de sessions n’a accordé aucun verrou</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Lullwood is an ambient-sound generator: up to three looping backgrounds and 31 random sound effects, mixed into one soundscape that plays for as long as you like.</source>
        <translation>Lullwood est un générateur d’ambiances sonores&#xa0;: jusqu’à trois fonds sonores en boucle et 31 effets sonores aléatoires, mixés en une seule ambiance qui joue aussi longtemps que vous le souhaitez.</translation>
    </message>
    <message>
        <source>Every sound is synthesised by Lullwood itself and built into the program; none is recorded or downloaded.</source>
        <translation>Chaque son est synthétisé par Lullwood lui-même et intégré au programme&#xa0;; aucun n’est enregistré ni téléchargé.</translation>
    </message>
    <message>
        <source>For help, choose Help &gt; Using Lullwood... in the main window.</source>
        <translation>Pour obtenir de l’aide, choisissez Aide &gt; Utiliser Lullwood... dans la fenêtre principale.</translation>
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
        <translation>Aide de Lullwood</translation>
    </message>
    <message>
        <source>&amp;Contents</source>
        <translation>&amp;Sommaire</translation>
    </message>
    <message>
        <source>&amp;Back</source>
        <translation>&amp;Précédent</translation>
    </message>
    <message>
        <source>&amp;Forward</source>
        <translation>S&amp;uivant</translation>
    </message>
    <message>
        <source>C&amp;lose</source>
        <translation>&amp;Fermer</translation>
    </message>
    <message>
        <source>Lullwood Help - %1</source>
        <translation>Aide de Lullwood - %1</translation>
    </message>
</context>
</TS>
