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
            summary: (r) =>
                `貸出${r.lend}枚・交換${r.exchange}枚・${r.pay === 'cash' ? '現金' : '貯メダル'}・${r.games_per_hour}G/時`,
        },
        // Messages for a field, by the reason its reading failed.
        field: {
            empty: (label) => `${label}を入れてください`,
            notNumber: (label) => `${label}は数字で入れてください`,
            notWhole: (label) => `${label}は整数で入れてください`,
            below: (label, min) => `${label}は${min}以上で入れてください`,
            above: (label, max) => `${label}は${max}以下で入れてください`,
        },
        // Failures of the engine, by its code (and reason where it says more).
        failure: {
            Cancelled: '止めました',
            InvalidInput: '入力が読めません',
            OutOfRange: '入力が範囲の外です',
            NoSolution: 'この条件では答えが出ません',
            EngineFailed: '計算エンジンを読み込めませんでした',
            other: '計算できませんでした',
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
            trailing: '今のゲーム数（最後の当たりから）',
            ruleNote: 'BIG後・REG後：続けるときのヤメる条件（BIG後0 REG後0は次のBIGまで）',
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
            mixed: '設定不明（事後確率で平均）',
            netCoins: '一回あたりの差枚',
            netYen: '一回あたりの収支',
            hourly: '時給',
            gamesPer: '一回あたりのプレイ数',
            hours: '一回あたりの時間',
            partial: '途中で止めたため、続けたときの価値は出ていません',
            warn: '注意',
        },
    };
    words.settingName = (i) => '設定' + '０１２３４５６７８９'[i];

    // The Japanese text for an engine failure {code, reason, message}.
    words.failureText = function (failure) {
        const f = failure || {};
        const head = words.failure[f.code] || words.failure.other;
        return f.reason && f.code !== 'Cancelled' ? `${head}（${f.reason}）` : head;
    };
    K.words = words;
})(self.Korvale = self.Korvale || {});
