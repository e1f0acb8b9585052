// The sections of the benchmark report, each printing its own figures.
#pragma once

#include "bench/bench_support.h"

namespace varelo::bench {

// The sizes of one report: the full run, or a quick one that only shows
// that every section still works.
struct Tamanhos {
    int inclusoes = 1000;
    int produtos = 5000;
    int comandasAbertas = 500;
    int arquivosMistos = 1000;
    int arquivosSemBanco = 10000;
    int divisoes = 200000;
    int pedidosLatencia = 40;
    int produtosRestaurante = 2000;
    int comandasRestaurante = 200;
};

// Milliseconds of one trivial statement on an open connection: the floor
// that the other sections compare their statement counts with.
double SecaoIdaEVolta(Ambiente& a);
// One product of the kitchen group and an empty inclusion journal.
void PreparaInclusoes(Ambiente& a);
void SecaoInclusao(Ambiente& a, int total, double idaEVolta);
// A catalog of `produtos` products with 3 named quantities each, and
// `comandas` open comandas of 10 items each.
void CarregaRestaurante(Ambiente& a, int produtos, int comandas);
void SecaoExportacao(Ambiente& a, int produtos, int comandas);
// The monitor's start-up (the catalog and statement exports) and its first
// tick, on a restaurant of that size, in seconds and statements.
void SecaoInicio(Ambiente& a, int produtos, int comandas);
// The real program, headless: from a request's arrival to its answer.
bool SecaoLatencia(Ambiente& a, int pedidos, double idaEVolta);
// The two scans return false when their requests were not all handled, so
// that a report on a broken build does not pass for a fast one.
bool SecaoVarreduraMista(Ambiente& a, int arquivos);
// Requests whose handling touches no database: the cost of the scan itself.
bool SecaoVarreduraSemBanco(Ambiente& a, int arquivos, int divisoes);

}  // namespace varelo::bench
