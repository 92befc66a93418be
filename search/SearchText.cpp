#include "search/SearchText.h"

#include "search/SearchState.h"

QString FoldCase(const QString &value, bool ignoreCase)
{
    return ignoreCase ? value.toUpper() : value;
}

QString searchArgument(const SearchState &state)
{
    return FoldCase(state.SearchText, state.IgnoreCase);
}

bool isWholeAgenda(const QString &argument)
{
    return argument.isEmpty() || argument == QLatin1String("*");
}

QString searchCaption(const QString &argument)
{
    return QStringLiteral("Rubrello - ( ") + argument + QStringLiteral(" )");
}

QString wholeAgendaCaption()
{
    return QStringLiteral("Rubrello - Tutta l'agenda");
}
