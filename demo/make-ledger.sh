#!/bin/sh
# make-ledger.sh - rebuilds the demo ledger in demo/ledger from the generator and a few fixed rows.
# Usage: demo/make-ledger.sh path/to/ledgergen
set -e
gen=${1:?path to ledgergen}
out=$(dirname "$0")/ledger
rm -rf "$out" && mkdir -p "$out"
"$gen" --assets 60 --seed 2 --out "$out"
# An amount far over the digit limit (10^13 yen) and an individual's data set beside the company.
printf '%s\r\n' \
  'K-OVER,900001,3,超大型プレス機（評価額過大）,1台,桁数超過の確認用,0,,20230401,20230401,10000000000000,0,10000000000000,6,10,100,0,0,0,10000,50,0,0,0,10000000000000,0,0,0,10000000000000,0,0,0,0,0,0,0,0' \
  | iconv -f UTF-8 -t CP932 >> "$out/assets-1.csv"
printf '%s\r\n' '3,DEMO-KOJIN,山田 太郎 (個人事業),20230101,20231231,1,3' | iconv -f UTF-8 -t CP932 >> "$out/datasets.csv"
printf '%s\r\n' \
  ';assetKey,assetCode,assetTypeCode,assetName,quantityText,memoText,disposalKind,capexText,acquisitionDate,serviceDate,acquisitionCost,compressionAmount,openingBookValue,methodCode,usefulLife,rateThousandths,residualRate,limitInputFlag,depreciableLimit,businessUseRatio,sgaShare,depMonthsFactor,depMonthsDivisor,residualValue,depreciationBase,sgaAmount,manufacturingAmount,accumulatedDepreciation,closingBookValue,disposalDate,salePrice,monthsInputFlag,revisedCost,computedDepreciation,specialDepreciation,additionalDepreciation,currentDepreciationInput' \
  'P1,000101,6,軽トラック,1台,配達用,0,,20210610,20210610,1200000,0,600000,6,4,250,0,0,0,8000,100,0,0,0,1200000,150000,0,750000,300000,0,0,0,0,300000,0,0,0' \
  'P2,000102,5,ノートパソコン,2台,事務用,0,,20230105,20230110,280000,0,280000,7,4,0,0,0,0,5000,100,0,0,0,280000,280000,0,280000,0,0,0,0,0,280000,0,0,0' \
  | iconv -f UTF-8 -t CP932 > "$out/assets-3.csv"
