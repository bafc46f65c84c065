# The benchmark's analysis done in R, the yardstick for `qvrfcdoe analyze FILE --sn 1=larger`:
#   Rscript bench/analyze.R exp.ipt out-folder
# The file is qvrfc-gen's: a header "runs qualities 0", then per quality and run the count and
# the values. Runs follow an L81 of 40 three-level factors (every column a combination of four
# base columns over GF(3)). Per quality: each run's mean, variance and larger-the-better S/N
# ratio; the level means of the S/N ratio and of the mean for every factor; the ANOVA of the S/N
# ratios (aov on the 81 runs); the ANOVA of the observations, its residual the repetitions'
# (from per-run sums, as aov on 8.1 million rows does not fit in memory); and a summary file.
args <- commandArgs(trailingOnly = TRUE)
if (length(args) < 2) stop("usage: Rscript analyze.R FILE OUTPUT-FOLDER")
dir.create(args[2], showWarnings = FALSE)

values <- scan(args[1], what = double(), quiet = TRUE)
runs <- values[1]; qualities <- values[2]
at <- 4

base <- as.matrix(expand.grid(d = 0:2, c = 0:2, b = 0:2, a = 0:2)[, 4:1])
combos <- as.matrix(expand.grid(0:2, 0:2, 0:2, 0:2))
combos <- combos[apply(combos, 1, function(v) any(v != 0) && v[v != 0][1] == 1), , drop = FALSE]
array <- (base %*% t(combos)) %% 3 + 1
design <- as.data.frame(lapply(seq_len(ncol(array)), function(j) factor(array[, j])))
names(design) <- sprintf("F%02d", seq_len(ncol(array)))

out <- file(file.path(args[2], "summary.txt"), "w")
for (q in seq_len(qualities)) {
    n <- numeric(runs); mean <- numeric(runs); variance <- numeric(runs); sn <- numeric(runs)
    ss <- numeric(runs)
    for (r in seq_len(runs)) {
        count <- values[at]
        y <- values[(at + 1):(at + count)]
        at <- at + count + 1
        n[r] <- count; mean[r] <- sum(y) / count
        ss[r] <- sum((y - mean[r])^2); variance[r] <- ss[r] / (count - 1)
        sn[r] <- -10 * log10(sum(1 / y^2) / count)
    }
    d <- cbind(design, sn = sn, mean = mean)
    cat(sprintf("Quality %d\n", q), file = out)
    for (f in names(design)) {
        cat(f, "S/N", format(tapply(sn, d[[f]], mean), digits = 6),
            "mean", format(tapply(mean, d[[f]], mean), digits = 6), "\n", file = out)
    }
    fit <- aov(reformulate(names(design), "sn"), data = d)
    capture.output(print(summary(fit)), file = out, append = FALSE)
    # Observations: factor sums of squares from the run means weighted by counts, residual the
    # repetitions' within-run sum of squares.
    grand <- sum(n * mean) / sum(n)
    factorSS <- sapply(names(design), function(f) {
        m <- tapply(n * mean, d[[f]], sum) / tapply(n, d[[f]], sum)
        sum(tapply(n, d[[f]], sum) * (m - grand)^2)
    })
    residual <- sum(ss); df <- sum(n) - runs
    Fv <- (factorSS / 2) / (residual / df)
    tab <- data.frame(SS = factorSS, F = Fv, p = pf(Fv, 2, df, lower.tail = FALSE))
    write.table(format(tab, digits = 6), file = out, quote = FALSE, sep = "\t")
}
close(out)
