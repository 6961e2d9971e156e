#!/bin/sh
# make-ledger.sh - rebuilds the demo ledger in demo/ledger from the generator and a few fixed rows.
# Usage: demo/make-ledger.sh path/to/ledgergen
set -e
gen=${1:?path to ledgergen}
out=$(dirname "$0")/ledger
rm -rf "$out" && mkdir -p "$out"
"$gen" --assets 60 --seed 2 --out "$out"
# An amount far over the digit limit (10^13 yen), then two lump-sum assets of a few breakdowns each
# beside the generated one of 150.
printf '%s\r\n' \
  'K-OVER,900001,3,超大型プレス機（評価額過大）,1台,桁数超過の確認用,0,,20230401,20230401,10000000000000,0,10000000000000,6,10,100,0,0,0,10000,50,0,0,0,10000000000000,0,0,0,10000000000000,0,0,0,0,0,0,0,0' \
  'K-LUMP1,000201,8,一括償却資産（令和5年度取得分）,,20万円未満の備品を3年で均等に償却,0,,20230401,20230401,1020000,0,1020000,4,3,0,0,0,0,10000,80,0,0,0,1020000,272000,68000,340000,680000,0,0,0,0,340000,0,0,0' \
  'K-LUMP2,000202,8,一括償却資産（令和4年度取得分）,,前期取得分,0,,20220401,20220401,540000,0,360000,4,3,0,0,0,0,10000,80,0,0,0,540000,144000,36000,360000,180000,0,0,0,0,180000,0,0,0' \
  | iconv -f UTF-8 -t CP932 >> "$out/assets-1.csv"
printf '%s\r\n' \
  'K-LUMP1,1,事務用椅子（12脚）,20230512,168000,12' \
  'K-LUMP1,2,書庫（スチール製・鍵付き）,20230620,185000,1' \
  'K-LUMP1,3,業務用シュレッダー,20230801,142000,1' \
  'K-LUMP1,4,タブレット端末,20231005,396000,3' \
  'K-LUMP1,5,プロジェクター,20240110,129000,1' \
  'K-LUMP2,1,ロッカー（更衣室用・6人用スチール製ロッカー）,20220715,198000,1' \
  'K-LUMP2,2,複合機用増設トレイ,20220901,156000,2' \
  'K-LUMP2,3,会議用テーブル,20230210,186000,1' \
  | iconv -f UTF-8 -t CP932 >> "$out/breakdowns-1.csv"
# The company's asset categories: 9 is the deferred assets and 11 the land, as the type file reads them.
printf '%s\r\n' \
  ';categoryCode,categoryName,categoryMethod,categoryResidual' \
  '1,建物,2,10' '2,構築物,2,10' '3,機械及び装置,1,10' '4,船舶,1,10' '5,工具器具及び備品,1,10' \
  '6,車両運搬具,1,10' '7,ソフトウェア,2,0' '8,一括償却資産,4,0' '9,繰延資産,2,0' '10,表示用ポスター,3,0' \
  '11,土地,1,0' \
  | iconv -f UTF-8 -t CP932 > "$out/categories-1.csv"
# An individual's data set beside the company, with two assets and two categories.
printf '%s\r\n' '3,DEMO-KOJIN,山田 太郎 (個人事業),20230101,20231231,1,3' | iconv -f UTF-8 -t CP932 >> "$out/datasets.csv"
printf '%s\r\n' \
  ';assetKey,assetCode,assetTypeCode,assetName,quantityText,memoText,disposalKind,capexText,acquisitionDate,serviceDate,acquisitionCost,compressionAmount,openingBookValue,methodCode,usefulLife,rateThousandths,residualRate,limitInputFlag,depreciableLimit,businessUseRatio,sgaShare,depMonthsFactor,depMonthsDivisor,residualValue,depreciationBase,sgaAmount,manufacturingAmount,accumulatedDepreciation,closingBookValue,disposalDate,salePrice,monthsInputFlag,revisedCost,computedDepreciation,specialDepreciation,additionalDepreciation,currentDepreciationInput' \
  'P1,000101,6,軽トラック,1台,配達用,0,,20210610,20210610,1200000,0,600000,6,4,250,0,0,0,8000,100,0,0,0,1200000,150000,0,750000,300000,0,0,0,0,300000,0,0,0' \
  'P2,000102,5,ノートパソコン,2台,事務用,0,,20230105,20230110,280000,0,280000,7,4,0,0,0,0,5000,100,0,0,0,280000,280000,0,280000,0,0,0,0,0,280000,0,0,0' \
  | iconv -f UTF-8 -t CP932 > "$out/assets-3.csv"
printf '%s\r\n' ';categoryCode,categoryName,categoryMethod,categoryResidual' '5,工具器具及び備品,1,10' \
  '6,車両運搬具,1,10' | iconv -f UTF-8 -t CP932 > "$out/categories-3.csv"
