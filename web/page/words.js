// The page's Japanese words and messages, in one place.
(function (K) {
    'use strict';
    const words = {
        title: 'Korvale ホールの手帳',
        storageRefused: 'ブラウザが保存を断りました。このタブを閉じると記録は消えます',
        tabs: {
            counter: 'カウンター',
            judge: '設定判別',
            aim: '狙い目',
            quit: 'ヤメ時',
            day: '一日の収支',
            sim: 'シミュレータ',
        },
        rates: {
            title: 'ホールの条件',
            open: 'ホール',
            lend: '貸出（枚/千円）',
            exchange: '交換（枚/百円）',
            pay: '元手',
            coins: '貯メダル',
            cash: '現金',
            gamesPerHour: '遊技速度（G/時）',
            close: '閉じる',
            saved: '保存しました',
            summary: (r) => [`貸出${r.lend}枚`, `交換${r.exchange}枚`, r.pay === 'cash' ? '現金' : '貯メダル',
                             `${r.games_per_hour}G/時`],
        },
        // Messages for a field, by the reason its reading failed.
        field: {
            empty: (label) => `${label}を入れてください`,
            notNumber: (label) => `${label}は数字で入れてください`,
            notWhole: (label) => `${label}は整数で入れてください`,
            below: (label, min) => `${label}は${min}以上で入れてください`,
            above: (label, max) => `${label}は${max}以下で入れてください`,
        },
        // Failures of the engine: by its reason where there are words for it, else by its code.
        failure: {
            Cancelled: '止めました',
            InvalidInput: '入力が読めません',
            OutOfRange: '入力が計算できる範囲の外です',
            NoSolution: 'この条件では答えが出ません',
            EngineFailed: '計算エンジンが動きませんでした（ページを読み込み直してください）',
            other: '計算できませんでした',
        },
        reason: {
            Overflow: '数が大きすぎます（32ビットの範囲の外）',
            DivisionByZero: '計算できませんでした（0で割る計算）',
            InvalidOperation: '計算できませんでした（定まらない計算）',
            FloatOverflow: '数が大きすぎて計算できません',
            TypeMismatch: '数字として読めない値があります',
            EndBeyondTables: 'ヤメる条件が大きすぎます（正確な計算の範囲の外）',
            LawNotCovered: 'この組み合わせのBIG後・REG後は計算できません（REG後はBIG後＋1G以下に）',
            AttemptsTooLong: '一回の挑戦が長すぎて正確な計算ができません',
            NoSolution: 'この条件では正確な答えが出ません',
            ImpossibleHistory: 'どの設定でもありえない記録です（ゲーム数を確かめてください）',
            NotABonusHistory: '当たりの記録として読めません',
            BadCommandLine: '条件が正しくありません',
        },
        counter: {
            games: 'ゲーム数（データカウンター）',
            gamesHint: '前の当たりからのゲーム数',
            big: 'BIG',
            reg: 'REG',
            undo: '取り消し',
            clear: '全部消す',
            clearAsk: '記録を全部消しますか？（元に戻せません）',
            start: '記録の始まり',
            morning: '朝から',
            joined: '途中から',
            empty: 'まだ当たりの記録はありません',
            totals: (big, reg) => `BIG ${big}回・REG ${reg}回`,
            more: (n) => `ほか${n}件（古い記録）`,
            logged: (kind, games) => `${kind}を${games}Gで記録しました`,
            undone: (kind, games) => `${kind}（${games}G）を取り消しました`,
            cleared: '記録を消しました',
        },
        judge: {
            heading: '記録からの設定判別',
            run: '判別する',
            cancel: '止める',
            working: '計算中…',
            trailing: '今のゲーム数',
            ruleNote: '今のゲーム数：最後の当たりからのゲーム数。BIG後・REG後：続けるときのヤメる条件（BIG後0 REG後0は次のBIGまで）',
            spent: '一回あたりの投資',
            bigEnd: 'BIG後（G以上）',
            regEnd: 'REG後（G以上）',
            noLog: 'カウンターに当たりを記録すると判別します',
            now: (g) => `今のゲーム数 ${g}G まで`,
            games: 'プレイ数',
            bigs: 'BIG回数',
            regs: 'REG回数',
            atLeast4: '設定４以上の確率',
            atLeast5: '設定５以上の確率',
            next1000: '次の千ゲームの期待差枚',
            posterior: '事後確率',
            countOnly: '回数だけの事後確率',
            worth: '続けたときの価値',
            mixed: '設定不明：事後確率で重みをつけた平均',
            short: {countOnly: '回数だけ', next1000: '次の千G差枚', coins: '差枚/回', yen: '収支/回', hourly: '時給'},
            netCoins: '一回あたりの差枚',
            netYen: '一回あたりの収支',
            hourly: '時給',
            gamesPer: '一回あたりのプレイ数',
            hours: '一回あたりの時間',
            cashNote: '現金の収支（円）は、最初のBIGでヤメる条件（BIG後0 REG後0）で出ます',
            partial: '途中で止めたため、続けたときの価値は出ていません',
            warn: '注意',
        },
    };
    words.settingName = (i) => '設定' + '０１２３４５６７８９'[i];

    // The Japanese text for an engine failure {code, reason, message}.
    words.failureText = function (failure) {
        const f = failure || {};
        return words.reason[f.reason] || words.failure[f.code] || words.failure.other;
    };
    K.words = words;
})(self.Korvale = self.Korvale || {});
