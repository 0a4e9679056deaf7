<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pt_BR">
<context>
    <name>Lullwood</name>
    <message>
        <source>Never</source>
        <translation>Nunca</translation>
    </message>
    <message>
        <source>Rarely</source>
        <translation>Raramente</translation>
    </message>
    <message>
        <source>Occasionally</source>
        <translation>Às vezes</translation>
    </message>
    <message>
        <source>Frequently</source>
        <translation>Frequente</translation>
    </message>
    <message>
        <source>Step %1 of %2</source>
        <translation>Nível %1 de %2</translation>
    </message>
    <message>
        <source>S&amp;ound</source>
        <translation>S&amp;om</translation>
    </message>
    <message>
        <source>Original sounds (11 kHz, 8-bit)</source>
        <translation>Sons originais (11 kHz, 8 bits)</translation>
    </message>
    <message>
        <source>Full-bandwidth sounds (44.1 kHz)</source>
        <translation>Sons em banda completa (44,1 kHz)</translation>
    </message>
    <message>
        <source>Quillor Lullwood</source>
        <translation>Quillor Lullwood</translation>
    </message>
    <message>
        <source>&amp;Timer</source>
        <translation>T&amp;emporizador</translation>
    </message>
    <message>
        <source>Master Controls</source>
        <translation>Controles gerais</translation>
    </message>
    <message>
        <source>Mute</source>
        <translation>Mudo</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Tocar</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>Volume</translation>
    </message>
    <message>
        <source>Backgrnd</source>
        <translation>Fundo</translation>
    </message>
    <message>
        <source>Random</source>
        <translation>Aleat.</translation>
    </message>
    <message>
        <source>Dynamic Random</source>
        <translation>Aleatório dinâmico</translation>
    </message>
    <message>
        <source>Clear all audio settings</source>
        <translation>Redefinir áudio</translation>
    </message>
    <message>
        <source>Boost CPU Priority</source>
        <translation>Prioridade alta</translation>
    </message>
    <message>
        <source>Automatic Startup</source>
        <translation>Início automático</translation>
    </message>
    <message>
        <source>Enable</source>
        <translation>Ativar</translation>
    </message>
    <message>
        <source>Auto Hide</source>
        <translation>Oculto</translation>
    </message>
    <message>
        <source>Scenario filename:</source>
        <translation>Arq. de cenário:</translation>
    </message>
    <message>
        <source>Browse...</source>
        <translation>Buscar...</translation>
    </message>
    <message>
        <source>Right Click anywhere to load or save a scenario.</source>
        <translation>Clique dir.: abrir ou salvar cenário.</translation>
    </message>
    <message>
        <source>Backgrounds (up to 3)</source>
        <translation>Sons de fundo (até 3)</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Sair</translation>
    </message>
    <message>
        <source>Hide</source>
        <translation>Ocultar</translation>
    </message>
    <message>
        <source>Random </source>
        <translation>Efeitos aleatórios </translation>
    </message>
    <message>
        <source>Never         Rarely       Occasionally      Frequently</source>
        <translation>Nunca         Raramente    Às vezes       Frequente</translation>
    </message>
    <message>
        <source>Background volume</source>
        <translation>Volume dos sons de fundo</translation>
    </message>
    <message>
        <source>Random volume</source>
        <translation>Volume dos efeitos aleatórios</translation>
    </message>
    <message>
        <source>Keep the computer awake while playing</source>
        <translation>Manter o computador ativo durante a reprodução</translation>
    </message>
    <message>
        <source>Lullwood could not keep the computer awake (%1). The computer may sleep while the soundscape plays.</source>
        <translation>O Lullwood não conseguiu impedir a suspensão do computador (%1). O computador poderá entrar em suspensão enquanto a paisagem sonora toca.</translation>
    </message>
    <message>
        <source>Quillor Lullwood (RTCLK=options) </source>
        <translation>Quillor Lullwood (clique dir.=opções) </translation>
    </message>
    <message>
        <source>Failed to launch help.</source>
        <translation>Não foi possível abrir a ajuda.</translation>
    </message>
    <message>
        <source>&amp;Load...</source>
        <translation>&amp;Abrir...</translation>
    </message>
    <message>
        <source>&amp;Save...</source>
        <translation>&amp;Salvar...</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>Sai&amp;r</translation>
    </message>
    <message>
        <source>&amp;Mute</source>
        <translation>&amp;Mudo</translation>
    </message>
    <message>
        <source>&amp;Play</source>
        <translation>&amp;Tocar</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>&amp;Sobre</translation>
    </message>
    <message>
        <source>&amp;Using Lullwood...</source>
        <translation>&amp;Como usar o Lullwood...</translation>
    </message>
    <message>
        <source>&amp;Scenario</source>
        <translation>&amp;Cenário</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Ajuda</translation>
    </message>
    <message>
        <source>About Lullwood</source>
        <translation>Sobre o Lullwood</translation>
    </message>
    <message>
        <source>Ocean Surf</source>
        <translation>Ondas na praia</translation>
    </message>
    <message>
        <source>River</source>
        <translation>Rio</translation>
    </message>
    <message>
        <source>White noise</source>
        <translation>Ruído branco</translation>
    </message>
    <message>
        <source>Night time</source>
        <translation>Noite</translation>
    </message>
    <message>
        <source>Rain</source>
        <translation>Chuva</translation>
    </message>
    <message>
        <source>Wind</source>
        <translation>Vento</translation>
    </message>
    <message>
        <source>Waterfall </source>
        <translation>Cachoeira </translation>
    </message>
    <message>
        <source>Brook</source>
        <translation>Riacho</translation>
    </message>
    <message>
        <source>Heartbeat</source>
        <translation>Coração batendo</translation>
    </message>
    <message>
        <source>Indian drum</source>
        <translation>Tabla indiana</translation>
    </message>
    <message>
        <source>South Am. jungle</source>
        <translation>Selva sul-amer.</translation>
    </message>
    <message>
        <source>African jungle</source>
        <translation>Selva africana</translation>
    </message>
    <message>
        <source>Train track</source>
        <translation>Trem nos trilhos</translation>
    </message>
    <message>
        <source>Pink Noise</source>
        <translation>Ruído rosa</translation>
    </message>
    <message>
        <source>Ocean Breakers</source>
        <translation>Arrebentação</translation>
    </message>
    <message>
        <source>Stream</source>
        <translation>Córrego</translation>
    </message>
    <message>
        <source>Rain on glass</source>
        <translation>Chuva na vidraça</translation>
    </message>
    <message>
        <source>Light wind</source>
        <translation>Vento leve</translation>
    </message>
    <message>
        <source>Heavy wind</source>
        <translation>Vento forte</translation>
    </message>
    <message>
        <source>Strange wind</source>
        <translation>Vento misterioso</translation>
    </message>
    <message>
        <source>Factory</source>
        <translation>Fábrica</translation>
    </message>
    <message>
        <source>Museum</source>
        <translation>Museu</translation>
    </message>
    <message>
        <source>Clock tick</source>
        <translation>Tique-taque</translation>
    </message>
    <message>
        <source>Dog Bark</source>
        <translation>Cão latindo</translation>
    </message>
    <message>
        <source>Horse</source>
        <translation>Cavalo</translation>
    </message>
    <message>
        <source>Wolves</source>
        <translation>Lobos</translation>
    </message>
    <message>
        <source>Loon cry</source>
        <translation>Mobelha</translation>
    </message>
    <message>
        <source>Nightingale</source>
        <translation>Rouxinol</translation>
    </message>
    <message>
        <source>Crow</source>
        <translation>Corvo</translation>
    </message>
    <message>
        <source>Bird</source>
        <translation>Pássaro</translation>
    </message>
    <message>
        <source>High gliss</source>
        <translation>Gliss. agudo</translation>
    </message>
    <message>
        <source>Sea Gull</source>
        <translation>Gaivota</translation>
    </message>
    <message>
        <source>Whale</source>
        <translation>Baleia</translation>
    </message>
    <message>
        <source>Ominous note</source>
        <translation>Nota sinistra</translation>
    </message>
    <message>
        <source>Hawk</source>
        <translation>Gavião</translation>
    </message>
    <message>
        <source>Church bell</source>
        <translation>Sino de igreja</translation>
    </message>
    <message>
        <source>Distant thunder</source>
        <translation>Trovão dist.</translation>
    </message>
    <message>
        <source>Loon 2</source>
        <translation>Mobelha 2</translation>
    </message>
    <message>
        <source>Train whistle</source>
        <translation>Apito de trem</translation>
    </message>
    <message>
        <source>Cardinal</source>
        <translation>Cardeal</translation>
    </message>
    <message>
        <source>Ship&apos;s horn</source>
        <translation>Apito de navio</translation>
    </message>
    <message>
        <source>Sea Lion</source>
        <translation>Leão-marinho</translation>
    </message>
    <message>
        <source>Distant Gulls</source>
        <translation>Gaivotas dist.</translation>
    </message>
    <message>
        <source>Pan flute</source>
        <translation>Flauta de pã</translation>
    </message>
    <message>
        <source>Big thunder</source>
        <translation>Trovão forte</translation>
    </message>
    <message>
        <source>RW Blackbird</source>
        <translation>Graúna asa-v.</translation>
    </message>
    <message>
        <source>Wh. Crane</source>
        <translation>Grou-americano</translation>
    </message>
    <message>
        <source>Oceanliner</source>
        <translation>Transatlântico</translation>
    </message>
    <message>
        <source>Cattle</source>
        <translation>Gado</translation>
    </message>
    <message>
        <source>Robin </source>
        <translation>Sabiá </translation>
    </message>
    <message>
        <source>Woodpecker</source>
        <translation>Pica-pau</translation>
    </message>
    <message>
        <source>Frog</source>
        <translation>Rã</translation>
    </message>
    <message>
        <source>Crickets</source>
        <translation>Grilos</translation>
    </message>
    <message>
        <source>High Chimes</source>
        <translation>Sinos agudos</translation>
    </message>
    <message>
        <source>*ERROR* Could not write to registry.</source>
        <translation>*ERRO* Não foi possível gravar as configurações.</translation>
    </message>
    <message>
        <source>Suspend the computer when stopped</source>
        <translation>Suspender o computador ao parar</translation>
    </message>
    <message>
        <source>&amp;Off</source>
        <translation>&amp;Desligado</translation>
    </message>
    <message>
        <source>15 minutes</source>
        <translation>15 minutos</translation>
    </message>
    <message>
        <source>30 minutes</source>
        <translation>30 minutos</translation>
    </message>
    <message>
        <source>45 minutes</source>
        <translation>45 minutos</translation>
    </message>
    <message>
        <source>1 hour</source>
        <translation>1 hora</translation>
    </message>
    <message>
        <source>1½ hours</source>
        <translation>1 hora e meia</translation>
    </message>
    <message>
        <source>2 hours</source>
        <translation>2 horas</translation>
    </message>
    <message>
        <source>Fading out</source>
        <translation>Diminuindo o volume</translation>
    </message>
    <message>
        <source>*ERROR* Could not save the scenario file.</source>
        <translation>*ERRO* Não foi possível salvar o arquivo de cenário.</translation>
    </message>
    <message>
        <source>Lullwood Scenarios (*.lwd)</source>
        <translation>Cenários do Lullwood (*.lwd)</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>Todos os arquivos (*)</translation>
    </message>
    <message>
        <source>Stops in %1 min</source>
        <translation>Para em %1 min</translation>
    </message>
    <message>
        <source>* You can only have three background sounds active.  Disable another one first. </source>
        <translation>* Só é possível ter três sons de fundo ativos.  Desative outro primeiro. </translation>
    </message>
    <message>
        <source>*ERROR* DirectX Sound will not initialize.  Wave device may not be available.</source>
        <translation>*ERRO* Não foi possível iniciar o som DirectX.  O dispositivo de áudio pode não estar disponível.</translation>
    </message>
    <message>
        <source>*ERROR* DirectX Sound will not initialize.  Wave device may not be available.  Try Again? </source>
        <translation>*ERRO* Não foi possível iniciar o som DirectX.  O dispositivo de áudio pode não estar disponível.  Tentar novamente? </translation>
    </message>
    <message>
        <source>*ERROR* You must select a previously saved scenario filename with which to autostart.</source>
        <translation>*ERRO* Escolha um arquivo de cenário salvo anteriormente para o início automático.</translation>
    </message>
    <message>
        <source>Lullwood is free software: you may share and change it under the GNU General Public License, version 3 or later. It comes with no warranty.</source>
        <translation>Lullwood é software livre: você pode compartilhá-lo e modificá-lo sob a GNU General Public License, versão 3 ou posterior. Ele vem sem nenhuma garantia.</translation>
    </message>
    <message>
        <source>Playing a soundscape</source>
        <translation>Tocando uma paisagem sonora</translation>
    </message>
    <message>
        <source>there is no system bus</source>
        <translation>não há barramento do sistema</translation>
    </message>
    <message>
        <source>the login manager gave no hold</source>
        <translation>o gerenciador de sessões não concedeu nenhum bloqueio</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Lullwood is an ambient-sound generator: up to three looping backgrounds and 31 random sound effects, mixed into one soundscape that plays for as long as you like.</source>
        <translation>O Lullwood é um gerador de sons ambientes: até três sons de fundo em repetição contínua e 31 efeitos sonoros aleatórios, mixados em uma única paisagem sonora que toca pelo tempo que você quiser.</translation>
    </message>
    <message>
        <source>Every sound is synthesised by Lullwood itself and built into the program; none is recorded or downloaded.</source>
        <translation>Todos os sons são sintetizados pelo próprio Lullwood e já vêm embutidos no programa; nenhum é gravado nem baixado.</translation>
    </message>
    <message>
        <source>For help, choose Help &gt; Using Lullwood... in the main window.</source>
        <translation>Para obter ajuda, escolha Ajuda &gt; Como usar o Lullwood... na janela principal.</translation>
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
        <translation>Ajuda do Lullwood</translation>
    </message>
    <message>
        <source>&amp;Contents</source>
        <translation>&amp;Conteúdo</translation>
    </message>
    <message>
        <source>&amp;Back</source>
        <translation>&amp;Voltar</translation>
    </message>
    <message>
        <source>&amp;Forward</source>
        <translation>&amp;Avançar</translation>
    </message>
    <message>
        <source>C&amp;lose</source>
        <translation>&amp;Fechar</translation>
    </message>
    <message>
        <source>Lullwood Help - %1</source>
        <translation>Ajuda do Lullwood - %1</translation>
    </message>
</context>
</TS>
