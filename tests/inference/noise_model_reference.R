options(digits = 15)
show <- function(fit) {
  a <- anova(fit)
  print(data.frame(term = rownames(a), ss = sprintf("%.15g", a[["Sum Sq"]]), dof = a$Df,
                   f = sprintf("%.12g", a[["F value"]]), p = sprintf("%.12g", a[["Pr(>F)"]])))
  cat("total", sprintf("%.15g", sum(a[["Sum Sq"]])), sum(a$Df), "\n")
}
l8 <- rbind(c(1,1,1,1,1,1,1), c(1,1,1,2,2,2,2), c(1,2,2,1,1,2,2), c(1,2,2,2,2,1,1),
            c(2,1,2,1,2,1,2), c(2,1,2,2,1,2,1), c(2,2,1,1,2,2,1), c(2,2,1,2,1,1,2))
l9 <- rbind(c(1,1,1,1), c(1,2,2,2), c(1,3,3,3), c(2,1,2,3), c(2,2,3,1), c(2,3,1,2),
            c(3,1,3,2), c(3,2,1,3), c(3,3,2,1))
spring <- rbind(c(7.56, 7.62, 7.44, 7.18, 7.18, 7.25), c(7.50, 7.56, 7.50, 7.50, 7.56, 7.50),
                c(7.94, 8.00, 7.88, 7.32, 7.44, 7.44), c(7.78, 7.78, 7.81, 7.50, 7.25, 7.12),
                c(7.56, 7.81, 7.69, 7.81, 7.50, 7.59), c(7.59, 7.56, 7.75, 7.63, 7.75, 7.56),
                c(7.69, 8.09, 8.06, 7.56, 7.69, 7.62), c(8.15, 8.18, 7.88, 7.88, 7.88, 7.44))
d <- expand.grid(k = 1:3, q = 1:2, run = 1:8)
d$y <- spring[cbind(d$run, (d$q - 1) * 3 + d$k)]
d$B <- factor(l8[d$run, 1]); d$C <- factor(l8[d$run, 2]); d$D <- factor(l8[d$run, 4])
d$E <- factor(l8[d$run, 7]); d$Q <- factor(d$q)
show(lm(y ~ (B + C + D + E) * Q, d))
for (f in c("B", "C", "D", "E")) { cat(f, "\n"); print(tapply(d$y, list(d[[f]], d$Q), mean)) }

d <- expand.grid(k = 0:1, c = 0:5, r = 0:8)
a <- l9[d$r + 1, 1] - 1; b <- l9[d$r + 1, 2] - 1; cc <- l9[d$r + 1, 3] - 1
n1 <- d$c %/% 2; n2 <- d$c %% 2
d$y <- 10 + 0.6 * a - 0.4 * b + 0.2 * cc + (1.2 - 0.5 * a) * n1 + 0.3 * n2 * b +
  ((7 * d$r + 5 * d$c + 3 * d$k + d$r * d$c) %% 11) / 10
d$A <- factor(a); d$B <- factor(b); d$C <- factor(cc); d$N1 <- factor(n1); d$N2 <- factor(n2)
show(lm(y ~ (A + B + C) * (N1 + N2), d))
for (f in c("A", "B", "C")) for (n in c("N1", "N2")) {
  cat(f, n, "\n"); print(tapply(d$y, list(d[[f]], d[[n]]), mean)) }

l4 <- rbind(c(0,0,0), c(0,1,1), c(1,0,1), c(1,1,0))
d <- expand.grid(c = 0:3, r = 0:7)
a <- l8[d$r + 1, 1] - 1; b <- l8[d$r + 1, 2] - 1; cc <- l8[d$r + 1, 4] - 1
n1 <- l4[d$c + 1, 1]; n2 <- l4[d$c + 1, 2]; n3 <- l4[d$c + 1, 3]
d$y <- 5 + 0.7 * a + 0.3 * b + 0.5 * n1 - 0.4 * a * n1 + 0.25 * n3 * b +
  ((5 * d$r + 3 * d$c + d$r * d$c * d$c) %% 7) / 8
d$A <- factor(a); d$B <- factor(b); d$C <- factor(cc)
d$N1 <- factor(n1); d$N2 <- factor(n2); d$N3 <- factor(n3)
show(lm(y ~ (A + B + C) * (N1 + N2 + N3), d))
