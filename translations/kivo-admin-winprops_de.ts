<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>ApprcInterface</name>
    <message>
        <location filename="../service/apprcinterface.cpp" line="+114"/>
        <source>The service sent no description of this desktop.</source>
        <translation>Der Dienst hat keine Beschreibung dieser Arbeitsumgebung gesendet.</translation>
    </message>
    <message>
        <location line="+39"/>
        <source>The window properties were changed elsewhere.</source>
        <translation>Die Fenstereigenschaften wurden anderswo geändert.</translation>
    </message>
</context>
<context>
    <name>CommandLineActions</name>
    <message>
        <location filename="../app/commandlineactions.cpp" line="+51"/>
        <source>the file name given to --import is empty</source>
        <translation>der an --import übergebene Dateiname ist leer</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>the window name given to --delete is empty</source>
        <translation>der bei --delete angegebene Fenstername ist leer</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>the window name &quot;%1&quot; given to --delete is not valid text</source>
        <translation>der bei --delete angegebene Fenstername „%1“ ist kein gültiger Text</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>the window record &quot;%1&quot; is not valid text</source>
        <translation>der Fenstereintrag „%1“ ist kein gültiger Text</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>invalid window record &quot;%1&quot;: %2</source>
        <translation>ungültiger Fenstereintrag „%1“: %2</translation>
    </message>
    <message>
        <location line="+22"/>
        <source>%1, line %2: %3</source>
        <translation>%1, Zeile %2: %3</translation>
    </message>
    <message>
        <location line="-17"/>
        <source>the window name given to --edit is empty</source>
        <translation>der bei --edit angegebene Fenstername ist leer</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>the window name &quot;%1&quot; given to --edit is not valid text</source>
        <translation>der bei --edit angegebene Fenstername „%1“ ist kein gültiger Text</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>unexpected argument &quot;%1&quot;</source>
        <translation>unerwartetes Argument „%1“</translation>
    </message>
    <message>
        <location line="+33"/>
        <source>ignoring the argument &quot;%1&quot;, which belongs to no option</source>
        <translation>das Argument „%1“ gehört zu keiner Option und wird ignoriert</translation>
    </message>
    <message>
        <location line="+66"/>
        <source>the properties %1 of &quot;%2&quot; have no effect on this desktop (%3)</source>
        <translation>die Eigenschaften %1 von &quot;%2&quot; haben in dieser Arbeitsumgebung keine Wirkung (%3)</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>the record for &quot;%1&quot; sets no property, so the stored entry of &quot;%1&quot; was removed</source>
        <translation>der Datensatz für „%1“ setzt keine Eigenschaft, daher wurde der gespeicherte Eintrag von „%1“ entfernt</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>the record for &quot;%1&quot; sets no property, so nothing is stored for &quot;%1&quot;</source>
        <translation>der Datensatz für „%1“ setzt keine Eigenschaft, daher wird für „%1“ nichts gespeichert</translation>
    </message>
    <message>
        <location line="-67"/>
        <location filename="../app/listingactions.cpp" line="+186"/>
        <source>the window properties could not be read from the service: %1</source>
        <translation>die Fenstereigenschaften konnten nicht vom Dienst gelesen werden: %1</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>the window properties could not be stored: %1</source>
        <translation>die Fenstereigenschaften konnten nicht gespeichert werden: %1</translation>
    </message>
    <message>
        <location filename="../app/listingactions.cpp" line="-102"/>
        <source>standard output could not be written</source>
        <translation>die Standardausgabe konnte nicht geschrieben werden</translation>
    </message>
    <message>
        <location line="-50"/>
        <source>the file &quot;%1&quot; could not be written: %2</source>
        <translation>die Datei &quot;%1&quot; konnte nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <location line="+145"/>
        <source>the window name given to --show is empty</source>
        <translation>der an --show übergebene Fenstername ist leer</translation>
    </message>
    <message>
        <location line="-120"/>
        <source>it is a named pipe that nobody reads</source>
        <translation>es ist eine benannte Pipe, aus der niemand liest</translation>
    </message>
    <message>
        <location line="+100"/>
        <source>the service does not tell what this desktop does with window properties</source>
        <translation>der Dienst sagt nicht, was diese Arbeitsumgebung mit Fenstereigenschaften macht</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>the service could not be asked what this desktop does with window properties: %1</source>
        <translation>der Dienst konnte nicht gefragt werden, was diese Arbeitsumgebung mit Fenstereigenschaften macht: %1</translation>
    </message>
    <message>
        <location line="+57"/>
        <source>no properties are stored for the window &quot;%1&quot;</source>
        <translation>für das Fenster &quot;%1&quot; sind keine Eigenschaften gespeichert</translation>
    </message>
    <message>
        <location line="+35"/>
        <source>left out an entry without a window name, which no record line can hold</source>
        <translation>ein Eintrag ohne Fensternamen wurde ausgelassen, da keine Datensatzzeile ihn aufnehmen kann</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>left out a second entry of &quot;%1&quot;; the first is listed</source>
        <translation>ein zweiter Eintrag von „%1“ wurde ausgelassen; der erste ist aufgeführt</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>left out the entry of &quot;%1&quot;, whose values no record line can hold</source>
        <translation>der Eintrag von „%1“ wurde ausgelassen, da keine Datensatzzeile seine Werte aufnehmen kann</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>the file &quot;%1&quot; could not be read: %2</source>
        <translation>die Datei &quot;%1&quot; konnte nicht gelesen werden: %2</translation>
    </message>
    <message>
        <location filename="../app/main.cpp" line="+47"/>
        <source>Try &quot;%1 --help&quot; for the options.</source>
        <translation>Die Optionen zeigt „%1 --help“.</translation>
    </message>
    <message>
        <location filename="../app/listingactions.cpp" line="+21"/>
        <source>it holds more than %1 bytes, more than any window properties can take</source>
        <translation>sie enthält mehr als %1 Bytes, mehr als Fenstereigenschaften je brauchen können</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>nothing came from it for %1 seconds</source>
        <translation>%1 Sekunden lang kam nichts daraus</translation>
    </message>
    <message>
        <location filename="../app/main.cpp" line="+18"/>
        <source>the dialog needs a display, and none was found; --help, --list, --show, --export and --quiet work without one</source>
        <translation>der Dialog braucht eine Anzeige, und es wurde keine gefunden; --help, --list, --show, --export und --quiet funktionieren ohne</translation>
    </message>
    <message>
        <location line="+27"/>
        <source>another quiet run did not end in time; nothing was changed</source>
        <translation>ein anderer stiller Aufruf wurde nicht rechtzeitig fertig; nichts wurde geändert</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>the window properties are open in the dialog; nothing was changed</source>
        <translation>die Fenstereigenschaften sind im Dialog geöffnet; nichts wurde geändert</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>the connection to the session bus was lost while waiting for the service (the bus drops a client whose message is larger than it accepts)</source>
        <translation>die Verbindung zum Sitzungsbus ging verloren, während auf den Dienst gewartet wurde (der Bus trennt einen Client, dessen Nachricht größer ist, als er annimmt)</translation>
    </message>
    <message>
        <location line="+29"/>
        <source>--list, --show and --export open no dialog; give --quiet to make changes as well</source>
        <translation>--list, --show und --export öffnen keinen Dialog; geben Sie --quiet an, um auch Änderungen vorzunehmen</translation>
    </message>
    <message>
        <location line="+28"/>
        <source>a quiet run started before the dialog did not end in time; the dialog was not opened</source>
        <translation>ein vor dem Dialog gestarteter stiller Lauf endete nicht rechtzeitig; der Dialog wurde nicht geöffnet</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Windows properties</source>
        <translation>Fenstereigenschaften</translation>
    </message>
    <message>
        <location filename="../platform/winprops/recordlines.cpp" line="+30"/>
        <source>the line is not UTF-8 text</source>
        <translation>die Zeile ist kein UTF-8-Text</translation>
    </message>
    <message>
        <location line="+24"/>
        <source>the window &quot;%1&quot; is already on line %2</source>
        <translation>das Fenster &quot;%1&quot; steht bereits in Zeile %2</translation>
    </message>
</context>
<context>
    <name>GeometryWidget</name>
    <message>
        <location filename="../editor/geometrywidget.ui" line="+20"/>
        <source>Form</source>
        <translation>Formular</translation>
    </message>
    <message>
        <location line="+21"/>
        <source>Set &amp;geometry</source>
        <translation>&amp;Geometrie festlegen</translation>
    </message>
    <message>
        <location line="+24"/>
        <source>x offset:</source>
        <translation>X-Versatz:</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>x offset</source>
        <translation>x-Versatz</translation>
    </message>
    <message>
        <location line="+22"/>
        <source>from right edge</source>
        <translation>vom rechten Rand</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>from rig&amp;ht edge</source>
        <translation>vom re&amp;chten Rand</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>y offset:</source>
        <translation>Y-Versatz:</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>y offset</source>
        <translation>y-Versatz</translation>
    </message>
    <message>
        <location line="+22"/>
        <source>from bottom edge</source>
        <translation>vom unteren Rand</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>&amp;from bottom edge</source>
        <translation>v&amp;om unteren Rand</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>or</source>
        <translation>oder</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>put in the center of screen</source>
        <translation>in der Bildschirmmitte platzieren</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>put &amp;in the center of screen</source>
        <translation>in der Bildschirmmitte &amp;platzieren</translation>
    </message>
    <message>
        <location line="+30"/>
        <source>size:</source>
        <translation>Größe:</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Width</source>
        <translation>Breite</translation>
    </message>
    <message>
        <location line="+28"/>
        <source>x</source>
        <translation>x</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Height</source>
        <translation>Höhe</translation>
    </message>
</context>
<context>
    <name>KivoHelp</name>
    <message>
        <location filename="../platform/kivoui/kivohelp.cpp" line="+64"/>
        <source>Help – %1</source>
        <translation>Hilfe – %1</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Windows properties</source>
        <translation>Fenstereigenschaften</translation>
    </message>
</context>
<context>
    <name>KivoIconDialog</name>
    <message>
        <location filename="../platform/kivouiextra/kivoicondialog.cpp" line="+123"/>
        <source>Select Icon</source>
        <translation>Symbol auswählen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Search icons</source>
        <translation>Symbole suchen</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>Browse...</source>
        <translation>Durchsuchen...</translation>
    </message>
    <message>
        <location line="+72"/>
        <source>Select Image File</source>
        <translation>Bilddatei auswählen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Images (*.png *.svg *.svgz *.xpm *.ico *.jpg *.jpeg *.bmp *.gif);;All files (*)</source>
        <translation>Bilder (*.png *.svg *.svgz *.xpm *.ico *.jpg *.jpeg *.bmp *.gif);;Alle Dateien (*)</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <location filename="../app/commandline.cpp" line="+11"/>
        <source>Add properties for window defined by &lt;win record&gt;</source>
        <translation>Eigenschaften für das durch &lt;Fenstereintrag&gt; beschriebene Fenster hinzufügen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>win record</source>
        <translation>Fenstereintrag</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Delete properties for window &lt;win name&gt;</source>
        <translation>Eigenschaften des Fensters &lt;Fenstername&gt; löschen</translation>
    </message>
    <message>
        <location line="+1"/>
        <location line="+3"/>
        <location line="+10"/>
        <source>win name</source>
        <translation>Fenstername</translation>
    </message>
    <message>
        <location line="-11"/>
        <source>Edit properties for window &lt;win name&gt;</source>
        <translation>Eigenschaften des Fensters &lt;Fenstername&gt; bearbeiten</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Don&apos;t ask questions</source>
        <translation>Keine Fragen stellen</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Print the properties of every window as window records, one per line</source>
        <translation>Die Eigenschaften aller Fenster als Fenstereinträge ausgeben, einen pro Zeile</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Print the properties of window &lt;win name&gt; as a window record</source>
        <translation>Die Eigenschaften des Fensters &lt;Fenstername&gt; als Fenstereintrag ausgeben</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Write the properties of every window to &lt;file&gt; (- for standard output)</source>
        <translation>Die Eigenschaften aller Fenster in &lt;Datei&gt; schreiben (- für die Standardausgabe)</translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+6"/>
        <source>file</source>
        <translation>Datei</translation>
    </message>
    <message>
        <location line="-4"/>
        <source>Add the window records of &lt;file&gt; (- for standard input), replacing windows of the same name</source>
        <translation>Die Fenstereinträge aus &lt;Datei&gt; hinzufügen (- für die Standardeingabe) und gleichnamige Fenster ersetzen</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Print which desktop applies the window properties and what each property does there</source>
        <translation>Ausgeben, welche Arbeitsumgebung die Fenstereigenschaften anwendet und was jede Eigenschaft dort bewirkt</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Edits the window properties of programs: how the desktop decorates and manages their windows.</source>
        <translation>Bearbeitet die Fenstereigenschaften von Programmen: wie die Arbeitsumgebung ihre Fenster dekoriert und verwaltet.</translation>
    </message>
    <message>
        <location line="+35"/>
        <source>See kivo-admin-winprops(1) for the window record syntax and the exit statuses.</source>
        <translation>Die Syntax der Fenstereinträge und die Exit-Status stehen in kivo-admin-winprops(1).</translation>
    </message>
</context>
<context>
    <name>WinProps</name>
    <message>
        <location filename="../platform/winprops/winprops.cpp" line="+75"/>
        <source>The window name is empty.</source>
        <translation>Der Fenstername ist leer.</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>The record contains the control character U+%1.</source>
        <translation>Der Eintrag enthält das Steuerzeichen U+%1.</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>The record ends with a backslash that escapes nothing.</source>
        <translation>Der Eintrag endet mit einem Backslash, der nichts maskiert.</translation>
    </message>
    <message>
        <location line="+33"/>
        <source>&quot;\u&quot; needs four hexadecimal digits.</source>
        <translation>&quot;\u&quot; braucht vier Hexadezimalziffern.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>&quot;\%1&quot; is not an escape; only \;, \=, \\, \n, \t and \uXXXX are.</source>
        <translation>&quot;\%1&quot; ist keine Escape-Sequenz; nur \;, \=, \\, \n, \t und \uXXXX sind es.</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>The record has an empty property.</source>
        <translation>Der Eintrag enthält eine leere Eigenschaft.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>A property has no name before its &quot;=&quot;.</source>
        <translation>Einer Eigenschaft fehlt der Name vor ihrem „=“.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&quot;%1&quot; is not a window property.</source>
        <translation>„%1“ ist keine Fenstereigenschaft.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The property &quot;%1&quot; is given twice.</source>
        <translation>Die Eigenschaft „%1“ ist doppelt angegeben.</translation>
    </message>
    <message>
        <location line="+34"/>
        <source>&quot;%1&quot; is not a value of the switch &quot;%2&quot;; use 1, 0, true, false, yes, no, on or off.</source>
        <translation>„%1“ ist kein Wert für den Schalter „%2“; erlaubt sind 1, 0, true, false, yes, no, on und off.</translation>
    </message>
    <message>
        <location line="+9"/>
        <location line="+20"/>
        <source>The property &quot;%1&quot; needs a value.</source>
        <translation>Die Eigenschaft „%1“ braucht einen Wert.</translation>
    </message>
    <message>
        <location line="-10"/>
        <source>&quot;%1&quot; is not a value of &quot;%2&quot;; use a number from 0 to 100, or -1 for none.</source>
        <translation>„%1“ ist kein Wert für „%2“; erlaubt ist eine Zahl von 0 bis 100 oder -1 für keinen Wert.</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>&quot;%1&quot; is not a geometry of the form WIDTHxHEIGHT+X+Y (a &quot;-&quot; before X or Y counts from the right or bottom edge).</source>
        <translation>„%1“ ist keine Geometrie der Form BREITExHÖHE+X+Y (ein „-“ vor X oder Y zählt vom rechten bzw. unteren Rand).</translation>
    </message>
    <message>
        <location line="+121"/>
        <source>The service sent data of the type &quot;%1&quot; where a list of window properties &quot;%2&quot; was expected.</source>
        <translation>Der Dienst hat Daten vom Typ „%1“ gesendet, erwartet wurde eine Liste von Fenstereigenschaften „%2“.</translation>
    </message>
</context>
<context>
    <name>WinPropsDialog</name>
    <message>
        <location filename="../dialog/winpropsentries.cpp" line="+116"/>
        <location line="+23"/>
        <location line="+4"/>
        <location line="+5"/>
        <source>Pick a window</source>
        <translation>Fenster auswählen</translation>
    </message>
    <message>
        <location filename="../dialog/winpropsdialog.ui" line="+60"/>
        <source>Pick a window with the mouse</source>
        <translation>Ein Fenster mit der Maus auswählen</translation>
    </message>
    <message>
        <location line="-3"/>
        <source>Click a window on the screen to add or select the entry of its program. Escape or a right click cancels.</source>
        <translation>Klicken Sie auf ein Fenster auf dem Bildschirm, um den Eintrag seines Programms hinzuzufügen oder auszuwählen. Escape oder ein Rechtsklick bricht ab.</translation>
    </message>
    <message>
        <location filename="../dialog/winpropsentries.cpp" line="-30"/>
        <source>Another program holds the mouse pointer or the keyboard. Try again when it lets go.</source>
        <translation>Ein anderes Programm hält den Mauszeiger oder die Tastatur fest. Versuchen Sie es erneut, wenn es sie freigibt.</translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+29"/>
        <source>The connection to the X display is lost.</source>
        <translation>Die Verbindung zur X-Anzeige ist verloren gegangen.</translation>
    </message>
    <message>
        <location line="-9"/>
        <source>That was the desktop, not a window. Nothing was added.</source>
        <translation>Das war der Desktop, kein Fenster. Es wurde nichts hinzugefügt.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>That window has no program name or window class (WM_CLASS). Nothing was added.</source>
        <translation>Dieses Fenster hat weder einen Programmnamen noch eine Fensterklasse (WM_CLASS). Es wurde nichts hinzugefügt.</translation>
    </message>
    <message>
        <location filename="../dialog/winpropsdialog.ui" line="-43"/>
        <source>Configure windows properties</source>
        <translation>Fenstereigenschaften einstellen</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Filter window names</source>
        <translation>Fensternamen filtern</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Filter (Ctrl+F)</source>
        <translation>Filter (Strg+F)</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Window names</source>
        <translation>Fensternamen</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>&amp;Add...</source>
        <translation>&amp;Hinzufügen...</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>&amp;Pick a window</source>
        <translation>&amp;Fenster auswählen</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>&amp;Rename...</source>
        <translation>&amp;Umbenennen...</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>&amp;Delete</source>
        <translation>&amp;Löschen</translation>
    </message>
    <message>
        <location filename="../dialog/winpropsdialog.cpp" line="+154"/>
        <source>Window properties unavailable</source>
        <translation>Fenstereigenschaften nicht verfügbar</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Saving will replace all stored window properties with the entries shown here.</source>
        <translation>Beim Speichern werden alle gespeicherten Fenstereigenschaften durch die hier angezeigten Einträge ersetzt.</translation>
    </message>
    <message>
        <location line="+71"/>
        <source>Replace all window properties</source>
        <translation>Alle Fenstereigenschaften ersetzen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The stored window properties could not be read when this dialog opened. Saving replaces all of them with the entries shown here. Do you want to continue?</source>
        <translation>Die gespeicherten Fenstereigenschaften konnten beim Öffnen dieses Dialogs nicht gelesen werden. Beim Speichern werden sie alle durch die hier angezeigten Einträge ersetzt. Möchten Sie fortfahren?</translation>
    </message>
    <message numerus="yes">
        <location line="+34"/>
        <source>and %n more</source>
        <translation>
            <numerusform>und %n weiterer</numerusform>
            <numerusform>und %n weitere</numerusform>
        </translation>
    </message>
    <message>
        <location line="-21"/>
        <source>There are no properties for window names:&lt;br&gt;%1&lt;br&gt;&lt;br&gt;These names will be removed. Do you want to continue?</source>
        <translation>Für diese Fensternamen sind keine Eigenschaften festgelegt:&lt;br&gt;%1&lt;br&gt;&lt;br&gt;Diese Namen werden entfernt. Möchten Sie fortfahren?</translation>
    </message>
    <message>
        <location line="-92"/>
        <source>The window properties could not be read from the window-properties service. Check that it is installed and running (kivo-winpropsd, usually started with the session), then open this window again.</source>
        <translation>Die Fenstereigenschaften konnten nicht vom Fenstereigenschaften-Dienst gelesen werden. Prüfen Sie, ob er installiert ist und läuft (kivo-winpropsd, gewöhnlich mit der Sitzung gestartet), und öffnen Sie dieses Fenster dann erneut.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>The window properties could not be read from the service:</source>
        <translation>Die Fenstereigenschaften konnten nicht vom Dienst gelesen werden:</translation>
    </message>
    <message>
        <location line="+92"/>
        <location filename="../dialog/winpropsentries.cpp" line="+121"/>
        <source>Missing properties</source>
        <translation>Fehlende Eigenschaften</translation>
    </message>
    <message>
        <location line="+34"/>
        <source>Saving failed</source>
        <translation>Speichern fehlgeschlagen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The window properties could not be saved:</source>
        <translation>Die Fenstereigenschaften konnten nicht gespeichert werden:</translation>
    </message>
    <message>
        <location line="+18"/>
        <source>Changed elsewhere</source>
        <translation>Anderswo geändert</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>While this dialog was open, these window names were also changed elsewhere:&lt;br&gt;%1&lt;br&gt;&lt;br&gt;Which changes do you want to keep?</source>
        <translation>Während dieser Dialog offen war, wurden diese Fensternamen auch anderswo geändert:&lt;br&gt;%1&lt;br&gt;&lt;br&gt;Welche Änderungen möchten Sie behalten?</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Keep &amp;mine</source>
        <translation>&amp;Meine behalten</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Keep &amp;theirs</source>
        <translation>&amp;Die anderen behalten</translation>
    </message>
    <message>
        <location line="+53"/>
        <source>Unsaved changes</source>
        <translation>Ungespeicherte Änderungen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>There are some unapplied changes. Do you want to save them now?</source>
        <translation>Es gibt noch nicht übernommene Änderungen. Möchten Sie sie jetzt speichern?</translation>
    </message>
    <message>
        <location filename="../dialog/winpropsentries.cpp" line="-206"/>
        <source>No window name matches &quot;%1&quot;.</source>
        <translation>Kein Fenstername passt zu „%1“.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Choose a window name from the list to edit its properties.</source>
        <translation>Wählen Sie einen Fensternamen aus der Liste, um seine Eigenschaften zu bearbeiten.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The stored window properties are unavailable: the service could not be read. Entries added here replace them all when saved.</source>
        <translation>Die gespeicherten Fenstereigenschaften sind nicht verfügbar: Der Dienst konnte nicht gelesen werden. Hier hinzugefügte Einträge ersetzen beim Speichern alle.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>No window properties are stored yet. Add... creates an entry for a program; Pick a window creates one for a window you click.</source>
        <translation>Es sind noch keine Fenstereigenschaften gespeichert. „Hinzufügen...“ legt einen Eintrag für ein Programm an; „Fenster auswählen“ legt einen für ein angeklicktes Fenster an.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>No window properties are stored yet. Add... creates an entry for a program.</source>
        <translation>Es sind noch keine Fenstereigenschaften gespeichert. „Hinzufügen...“ legt einen Eintrag für ein Programm an.</translation>
    </message>
    <message>
        <location line="+13"/>
        <location line="+191"/>
        <source>Empty window name</source>
        <translation>Leerer Fenstername</translation>
    </message>
    <message>
        <location line="-190"/>
        <source>Please enter non-empty window name</source>
        <translation>Bitte geben Sie einen Fensternamen ein.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Properties are already exist</source>
        <translation>Eigenschaften bereits vorhanden</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Properties for &quot;%1&quot; are already exist. Do you want to set new window name?</source>
        <translation>Für „%1“ sind bereits Eigenschaften vorhanden. Möchten Sie einen anderen Fensternamen eingeben?</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>Add new window properties</source>
        <translation>Neue Fenstereigenschaften hinzufügen</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Enter program name or window class:</source>
        <translation>Programmname oder Fensterklasse eingeben:</translation>
    </message>
    <message>
        <location line="+55"/>
        <source>Renaming window id</source>
        <translation>Fenster umbenennen</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Enter new program name or window class:</source>
        <translation>Neuen Programmnamen oder neue Fensterklasse eingeben:</translation>
    </message>
    <message>
        <location line="+18"/>
        <source>Deleting properties</source>
        <translation>Eigenschaften löschen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Are you sure you want to delete window propeties for &quot;%1&quot;?</source>
        <translation>Möchten Sie die Fenstereigenschaften für „%1“ wirklich löschen?</translation>
    </message>
    <message>
        <location line="+38"/>
        <source>Nothing imported</source>
        <translation>Nichts importiert</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Invalid window record</source>
        <translation>Ungültiger Fenstereintrag</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Properties already set</source>
        <translation>Eigenschaften bereits festgelegt</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Properties for &quot;%1&quot; already set. Do you want to rewrite them?</source>
        <translation>Für „%1“ sind bereits Eigenschaften festgelegt. Möchten Sie sie überschreiben?</translation>
    </message>
    <message>
        <location line="+36"/>
        <source>There are no setted window properties for &quot;%1&quot;. Do you want to create them?</source>
        <translation>Für „%1“ sind keine Fenstereigenschaften festgelegt. Möchten Sie sie anlegen?</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>The window name given on the command line is empty.</source>
        <translation>Der auf der Befehlszeile angegebene Fenstername ist leer.</translation>
    </message>
</context>
<context>
    <name>WinPropsService</name>
    <message>
        <location filename="../platform/winprops/winpropsservice.cpp" line="+57"/>
        <source>The service sent a text of %1 characters; window names and values have at most %2.</source>
        <translation>Der Dienst hat einen Text von %1 Zeichen gesendet; Fensternamen und Werte haben höchstens %2.</translation>
    </message>
    <message>
        <location line="+28"/>
        <source>The service sent no list of window properties.</source>
        <translation>Der Dienst hat keine Liste von Fenstereigenschaften gesendet.</translation>
    </message>
</context>
<context>
    <name>WinPropsWidget</name>
    <message>
        <location filename="../editor/winpropswidget.ui" line="+14"/>
        <source>Form</source>
        <translation>Formular</translation>
    </message>
    <message>
        <location line="+32"/>
        <source>App&amp;earance</source>
        <translation>&amp;Erscheinungsbild</translation>
    </message>
    <message>
        <location line="+42"/>
        <source>No &amp;title</source>
        <translation>Keine &amp;Titelleiste</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>N&amp;o border</source>
        <translation>Kein &amp;Rahmen</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>&amp;No border edge</source>
        <translation>&amp;Keine Rahmenkante</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>No &amp;control menu button</source>
        <translation>Kei&amp;ne Fenstermenü-Schaltfläche</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>No minimi&amp;ze button</source>
        <translation>Keine &amp;Minimieren-Schaltfläche</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>No ma&amp;ximize/restore button</source>
        <translation>Keine Ma&amp;ximieren/Wiederherstellen-Schaltfläche</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>No close b&amp;utton</source>
        <translation>Ke&amp;ine Schließen-Schaltfläche</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>No tas&amp;kbar button</source>
        <translation>Keine Schaltfläche in &amp;der Taskleiste</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>No pager &amp;miniature</source>
        <translation>Keine Miniatur im &amp;Arbeitsflächenumschalter</translation>
    </message>
    <message>
        <location line="+34"/>
        <source>&amp;Small image (for control menu):</source>
        <translation>Kleines &amp;Bild (für das Fenstermenü):</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Small image</source>
        <translation>Kleines Bild</translation>
    </message>
    <message>
        <location line="+18"/>
        <location line="+23"/>
        <source>Button to show and select icon</source>
        <translation>Schaltfläche zum Anzeigen und Auswählen des Symbols</translation>
    </message>
    <message>
        <location line="-20"/>
        <location line="+23"/>
        <source>The button to show icon and call icon selection dialog.</source>
        <translation>Die Schaltfläche zeigt das Symbol und öffnet den Dialog zur Symbolauswahl.</translation>
    </message>
    <message>
        <location line="-16"/>
        <source>&amp;Large image (for task switcher):</source>
        <translation>Großes Bild (für den Fenster&amp;wechsler):</translation>
    </message>
    <message>
        <location line="+45"/>
        <source>Shado&amp;w:</source>
        <translation>&amp;Schatten:</translation>
    </message>
    <message>
        <location line="+43"/>
        <source>Transparenc&amp;y:</source>
        <translation>Transparen&amp;z:</translation>
    </message>
    <message>
        <location line="+66"/>
        <source>&amp;Behavior</source>
        <translation>&amp;Verhalten</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>&amp;Not affect paging</source>
        <translation>&amp;Auf allen Arbeitsflächen</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Not active (no &amp;focus)</source>
        <translation>&amp;Nicht aktivierbar (kein Fokus)</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>&amp;Close a window soon</source>
        <translation>Fenster &amp;bald schließen</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Always keep on &amp;top</source>
        <translation>Imme&amp;r im Vordergrund</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Always &amp;keep at bottom</source>
        <translation>&amp;Immer im Hintergrund</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Maximized on &amp;initializing</source>
        <translation>Maximiert &amp;starten</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>&amp;Minimized on initializing</source>
        <translation>&amp;Minimiert starten</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Put focus &amp;on click</source>
        <translation>Fokus erst &amp;durch Anklicken</translation>
    </message>
    <message>
        <location line="-205"/>
        <source>Large image</source>
        <translation>Großes Bild</translation>
    </message>
    <message>
        <location line="+47"/>
        <location line="+19"/>
        <source>Shadow</source>
        <translation>Schatten</translation>
    </message>
    <message>
        <location line="+24"/>
        <location line="+19"/>
        <source>Transparency</source>
        <translation>Transparenz</translation>
    </message>
    <message>
        <location line="+58"/>
        <source>For irritating error windows</source>
        <translation>Für lästige Fehlermeldungsfenster</translation>
    </message>
    <message>
        <location filename="../editor/winpropswidget.cpp" line="+71"/>
        <source>Applied by %1</source>
        <translation>Angewendet von %1</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>This desktop does not apply window properties; they are kept for desktops that do.</source>
        <translation>Diese Arbeitsumgebung wendet keine Fenstereigenschaften an; sie werden für Arbeitsumgebungen aufbewahrt, die das tun.</translation>
    </message>
    <message>
        <location line="+18"/>
        <source>No effect on this desktop (%1)</source>
        <translation>Keine Wirkung in dieser Arbeitsumgebung (%1)</translation>
    </message>
</context>
</TS>
