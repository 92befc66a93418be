// The dial dialog's messages, exactly as the user reads them.
#pragma once

#include <QString>

inline QString noNumberMessage()
{
    return QStringLiteral(
        "Per la chiamata telefonica col modem occorre aver inserito un numero telefonico valido.");
}

inline QString dialerMissingMessage()
{
    return QStringLiteral("La funzione di chiamata telefonica automatica col modem funziona solo con Windows "
                          "95 se si è installato "
                          "il modulo DIALER.EXE per la connessione telefonica. (Se avete installato Windows "
                          "95 e non si è abilitata "
                          "questa funzione lanciare 'Pannello di Controllo' poi cliccare su 'Installazione "
                          "applicazioni' poi sulla "
                          "tacca 'Installazione di Windows 95' poi su 'Comunicazioni').");
}

inline QString optionsFileErrorMessage()
{
    return QStringLiteral("Si è verificato un errore di accesso al file di configurazione Rubrello.INI");
}
