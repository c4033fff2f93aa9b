// The compiled rules: ignored text taken out of passages and trigger words found in them. Passages
// are searched joined by line breaks, which no passage holds: one pass per expression over the
// whole page costs far less than a match per passage.
#include "RuleSet.h"

#include <algorithm>
#include <numeric>

namespace {
// Letters with their marks, digits and the underscore make words; anything else ends them.
const QString WordChar = QStringLiteral("[\\p{L}\\p{M}\\p{N}_]");

// The expressions skip their check of the text at each match, which would cost a pass over the rest
// of the page each time: the text is checked once here.
constexpr auto Unchecked = QRegularExpression::DontCheckSubjectStringMatchOption;

// The passages joined by line breaks, with where each starts. A lone surrogate, which a numeric
// entity on a page can make, becomes U+FFFD, in the same place.
QString Joined(const QStringList& Passages, QList<qsizetype>& Starts)
{
    Starts.reserve(Passages.size());
    qsizetype Start = 0;
    for (const QString& Passage : Passages) {
        Starts.append(Start);
        Start += Passage.size() + 1;
    }
    QString Text = Passages.join(QLatin1Char('\n'));
    if (QStringView(Text).isValidUtf16())
        return Text;
    for (qsizetype At = 0; At < Text.size(); ++At) {
        if (Text[At].isHighSurrogate() && At + 1 < Text.size() && Text[At + 1].isLowSurrogate())
            ++At;
        else if (Text[At].isSurrogate())
            Text[At] = QChar::ReplacementCharacter;
    }
    return Text;
}

// Appends a piece of a passage whose spaces are collapsed, so that the seams stay collapsed too.
void AppendPiece(QString& Kept, QStringView Piece)
{
    if ((Kept.isEmpty() || Kept.endsWith(QLatin1Char(' '))) && Piece.startsWith(QLatin1Char(' ')))
        Piece = Piece.sliced(1);
    Kept += Piece;
}

// A word or phrase as an expression: its words in order, with any run of spaces between them.
QString WordPattern(const QString& Word)
{
    QStringList Parts = Word.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    for (QString& Part : Parts)
        Part = QRegularExpression::escape(Part);
    return Parts.join(QStringLiteral("[^\\S\\n]+"));
}
} // namespace

QRegularExpression IgnoreExpression(const QString& Pattern)
{
    QRegularExpression Expression(Pattern, IgnoreOptions);
    if (!Expression.isValid())
        throw TRuleError(Pattern, Expression.errorString(), Expression.patternErrorOffset());
    return Expression;
}

TRuleSet::TRuleSet(const TSourceRules& Rules) : FNewOnly(Rules.NewOnly)
{
    for (const QString& Pattern : Rules.Ignore) {
        if (Pattern.isEmpty())
            continue;
        QRegularExpression Expression = IgnoreExpression(Pattern);
        Expression.optimize();
        FIgnore.push_back(std::move(Expression));
    }
    for (const QString& Word : Rules.Trigger)
        if (!Word.trimmed().isEmpty())
            FWords.append(Word.trimmed());
    if (FWords.isEmpty())
        return;
    QList<int> Order(FWords.size());
    std::iota(Order.begin(), Order.end(), 0);
    std::stable_sort(Order.begin(), Order.end(),
                     [this](int A, int B) { return FWords[A].size() > FWords[B].size(); });
    QStringList Alternatives;
    for (int Word : Order) {
        Alternatives.append(QLatin1Char('(') + WordPattern(FWords[Word]) + QLatin1Char(')'));
        FGroupWord.append(Word);
    }
    FTrigger.setPattern(
        QStringLiteral("(?<!%1)(?:%2)(?!%1)").arg(WordChar, Alternatives.join(QLatin1Char('|'))));
    FTrigger.setPatternOptions(QRegularExpression::CaseInsensitiveOption);
    FTrigger.optimize();
}

TStripped TRuleSet::Strip(const QStringList& Passages) const
{
    TStripped Result;
    QList<qsizetype> Starts;
    const QString Text = Joined(Passages, Starts);
    // The passage holding At, searched forward from passage From: matches come in text order.
    const auto PassageFrom = [&Starts](int From, qsizetype At) {
        while (From + 1 < Starts.size() && Starts[From + 1] <= At)
            ++From;
        return From;
    };
    const auto EndOf = [&](int Passage) { return Starts[Passage] + Passages[Passage].size(); };
    std::vector<std::pair<qsizetype, qsizetype>> Ranges; // matched [start, end) in Text
    for (const QRegularExpression& Expression : FIgnore) {
        // A match across a line break is one no passage holds alone: the passages it spans are
        // matched again one by one, and the whole page's matches inside them are not taken.
        std::vector<std::pair<qsizetype, qsizetype>> Found;
        std::vector<int> FoundIn; // the passage of each found
        std::vector<int> Again;
        int First = 0;
        QRegularExpressionMatchIterator Matches =
            Expression.globalMatch(Text, 0, QRegularExpression::NormalMatch, Unchecked);
        while (Matches.hasNext()) {
            const QRegularExpressionMatch Match = Matches.next();
            if (Match.capturedLength() == 0)
                continue;
            First = PassageFrom(First, Match.capturedStart());
            if (Match.capturedEnd() <= EndOf(First)) {
                Found.emplace_back(Match.capturedStart(), Match.capturedEnd());
                FoundIn.push_back(First);
                continue;
            }
            // One that starts at a line break takes nothing of the passage before it.
            const int From = Match.capturedStart() == EndOf(First) ? First + 1 : First;
            const int Last = PassageFrom(First, Match.capturedEnd() - 1);
            for (int Passage = From; Passage <= Last; ++Passage)
                if (Again.empty() || Again.back() < Passage)
                    Again.push_back(Passage);
        }
        for (std::size_t Index = 0; Index < Found.size(); ++Index)
            if (Again.empty() || !std::binary_search(Again.begin(), Again.end(), FoundIn[Index]))
                Ranges.push_back(Found[Index]);
        for (int Passage : Again) {
            QRegularExpressionMatchIterator Alone =
                Expression.globalMatch(QStringView(Text).sliced(Starts[Passage], Passages[Passage].size()), 0,
                                       QRegularExpression::NormalMatch, Unchecked);
            while (Alone.hasNext()) {
                const QRegularExpressionMatch Match = Alone.next();
                if (Match.capturedLength() > 0)
                    Ranges.emplace_back(Starts[Passage] + Match.capturedStart(),
                                        Starts[Passage] + Match.capturedEnd());
            }
        }
    }
    std::sort(Ranges.begin(), Ranges.end());
    std::vector<std::pair<qsizetype, qsizetype>> Merged;
    for (const auto& Range : Ranges) {
        if (!Merged.empty() && Range.first <= Merged.back().second)
            Merged.back().second = std::max(Merged.back().second, Range.second);
        else
            Merged.push_back(Range);
    }
    auto Next = Merged.cbegin();
    for (int Index = 0; Index < Passages.size(); ++Index) {
        const qsizetype Begin = Starts[Index];
        const qsizetype End = Begin + Passages[Index].size();
        while (Next != Merged.cend() && Next->second <= Begin)
            ++Next;
        QString Kept;
        if (Next == Merged.cend() || Next->first >= End) {
            Kept = Passages[Index];
        } else {
            qsizetype At = Begin;
            for (auto Range = Next; Range != Merged.cend() && Range->first < End; ++Range) {
                if (Range->first > At)
                    AppendPiece(Kept, QStringView(Text).sliced(At, Range->first - At));
                At = Range->second;
            }
            if (At < End)
                AppendPiece(Kept, QStringView(Text).sliced(At, End - At));
            if (Kept.endsWith(QLatin1Char(' ')))
                Kept.chop(1);
            if (Kept != Passages[Index])
                Result.Touched.append(Index);
        }
        if (Kept.isEmpty())
            continue;
        Result.Passages.append(Kept);
        Result.Origin.append(Index);
    }
    return Result;
}

QList<TTriggerHit> TRuleSet::Triggers(const QStringList& Passages) const
{
    QList<TTriggerHit> Hits;
    if (FWords.isEmpty())
        return Hits;
    QList<qsizetype> Starts;
    QRegularExpressionMatchIterator Matches =
        FTrigger.globalMatch(Joined(Passages, Starts), 0, QRegularExpression::NormalMatch, Unchecked);
    while (Matches.hasNext()) {
        const QRegularExpressionMatch Match = Matches.next();
        const auto Passage = std::upper_bound(Starts.cbegin(), Starts.cend(), Match.capturedStart()) - 1;
        Hits.append({.Passage = int(Passage - Starts.cbegin()),
                     .Start = Match.capturedStart() - *Passage,
                     .Length = Match.capturedLength(),
                     .Word = FGroupWord[Match.lastCapturedIndex() - 1]});
    }
    return Hits;
}
