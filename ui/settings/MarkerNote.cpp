// The note beside a marker in the settings dialog.
#include "MarkerNote.h"

QString MarkerNote(int Marker, const std::string& Value, bool PageLoaded, std::ptrdiff_t Found,
                   const std::optional<TMarkerPick>& Pick)
{
    if (!PageLoaded)
        return Value.empty() ? QStringLiteral("pusty znacznik") : QString();
    if (Value.empty())
        return QStringLiteral("pusty znacznik");
    if (Found == 0)
        return QStringLiteral("nie znaleziony na stronie");
    QString Note = QStringLiteral("znaleziony w bajcie %1").arg(Found);
    if (Pick && Pick->Marker == Value) {
        if (Pick->CutToLine)
            Note += QStringLiteral("; zaznaczenie obejmowało kilka wierszy, znacznik to jego %1 wiersz")
                        .arg(Marker == 0 ? QStringLiteral("pierwszy") : QStringLiteral("ostatni"));
        if (Found != Pick->Selected)
            Note += QStringLiteral("; to wcześniejsze wystąpienie, zaznaczone jest w bajcie %1")
                        .arg(Pick->Selected) +
                    (Pick->Lengthened.empty() ? QStringLiteral(", a w obrębie wiersza nie da się go wydłużyć")
                                              : QString());
        else
            Note += QStringLiteral(", tam gdzie zaznaczono");
    }
    return Note;
}
